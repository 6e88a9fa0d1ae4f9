# Wine 10 in a Debian trixie root, for 64-bit and 32-bit Windows programs. Sourced by common.sh.
# The machines' kernel runs no 32-bit code at all (neither 32-bit Linux programs nor 32-bit code
# segments, so not Wine's WoW64 mode either): 32-bit programs run under Wine's 32-bit loader on
# a CPU emulated by qemu-i386, with the same Wine 10 DLLs.
#   QRC_WINE_ROOT   where the root lives (default /var/cache/quarvelton-wine-root); it is
#                   made once and shared by every clone and CI run on the machine.
# Remove it with: rm -rf "${QRC_WINE_ROOT:-/var/cache/quarvelton-wine-root}"
# shellcheck shell=bash

WINE_ROOT="${QRC_WINE_ROOT:-/var/cache/quarvelton-wine-root}"
# Written last into a finished root; a different recipe or a root without it is made anew.
WINE_ROOT_RECIPE="trixie minbase; wine64 wine32:i386 fonts-wine qemu-user; emulated 32-bit loader; 2"
WINE_ROOT_MIRROR="${QRC_WINE_ROOT_MIRROR:-http://deb.debian.org/debian}"
# The loaders inside the root, by target; the 32-bit one is the emulating script made below.
wine_loader() { [ "$1" = win32 ] && echo /usr/lib/wine/wine || echo /usr/lib/wine/wine64; }
WINE_SERVER=/usr/lib/wine/wineserver64

# Everything here needs root: debootstrap, chroot and mounts.
require_root() {
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
      exec sudo -E "$0" "$@"
    fi
    echo "$(basename "$0") needs root (or password-less sudo) to make and enter the Wine root in $WINE_ROOT." >&2
    exit 1
  fi
}

wine_root_ready() {
  [ "$(cat "$WINE_ROOT/.qrc-recipe" 2>/dev/null)" = "$WINE_ROOT_RECIPE" ]
}

# Makes the root once. It is built beside its final place and moved there when complete, so
# an interrupted run leaves only a partial folder, which the next run removes and redoes.
ensure_wine_root() {
  wine_root_ready && return 0
  ensure_packages debootstrap
  local partial="$WINE_ROOT.partial"
  echo "Making the Wine root in $WINE_ROOT (once per machine; about 2.5 GB) ..."
  rm -rf "$partial"
  mkdir -p "$(dirname "$WINE_ROOT")"
  debootstrap --variant=minbase trixie "$partial" "$WINE_ROOT_MIRROR" >/dev/null
  # shellcheck disable=SC2016
  unshare --mount --propagation private bash -euc '
    root=$1
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --rbind /sys "$root/sys"
    chroot "$root" /bin/bash -euc "
      export DEBIAN_FRONTEND=noninteractive
      dpkg --add-architecture i386
      apt-get update -qq
      apt-get install -y -qq --no-install-recommends wine64 wine32:i386 fonts-wine qemu-user >/dev/null
      apt-get clean
      # Wine execs its 32-bit loader by this name for every 32-bit process; the name becomes
      # the script below, which runs the real loader under qemu-i386.
      dpkg-divert --local --rename --divert /usr/lib/wine/wine-i386 /usr/lib/wine/wine >/dev/null
    "
  ' bash "$partial"
  # -0 keeps the name the process sees as its own, so that its children come back here too.
  cat >"$partial/usr/lib/wine/wine" <<'LOADER'
#!/bin/sh
export WINELOADERNOEXEC=1
exec /usr/bin/qemu-i386 -0 /usr/lib/wine/wine /usr/lib/wine/wine-i386 "$@"
LOADER
  chmod +x "$partial/usr/lib/wine/wine"
  mkdir -p "$partial/tmp/.X11-unix"
  echo "$WINE_ROOT_RECIPE" >"$partial/.qrc-recipe"
  rm -rf "$WINE_ROOT"
  mv "$partial" "$WINE_ROOT"
}

# Runs the command in a private mount namespace in which the root has /proc, /dev, /sys, the
# X socket folder and the given host folders (at their own paths) mounted. The mounts live
# only as long as the namespace's processes, so nothing outlives the run, even on failure.
with_wine_root_mounts() {
  local folders=()
  while [ "$1" != "--" ]; do
    folders+=("$1")
    shift
  done
  shift
  mkdir -p /tmp/.X11-unix
  # shellcheck disable=SC2016
  unshare --mount --propagation private bash -euc '
    root=$1
    shift
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --rbind /sys "$root/sys"
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    while [ "$1" != "--" ]; do
      mkdir -p "$root$1"
      mount --bind "$1" "$root$1"
      shift
    done
    shift
    exec "$@"
  ' bash "$WINE_ROOT" "${folders[@]}" -- "$@"
}
