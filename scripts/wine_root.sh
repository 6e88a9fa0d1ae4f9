# Wine 10 in a Debian trixie root, for 64-bit and 32-bit Windows programs. Sourced by common.sh.
# The machines' kernel runs no 32-bit code at all (neither 32-bit Linux programs nor 32-bit code
# segments, so not Wine's WoW64 mode either): 32-bit programs run under Wine's 32-bit loader on
# a CPU emulated by qemu-i386, with the same Wine 10 DLLs.
#   QRC_WINE_ROOT         where the root lives (default /var/cache/quarvelton-wine-root); it is
#                         made once per recipe and shared by every clone and CI run on the machine.
#   QRC_WINE_ROOT_MIRROR  the Debian mirror to make it from (default: the host's own, from apt).
# The scripts delete only folders they made: a root holds .qrc-recipe, a temporary folder of an
# unfinished build .qrc-temp. Remove the root, when no run uses it, with
#   flock "$QRC_WINE_ROOT.lock" rm -rf --one-file-system "$QRC_WINE_ROOT"
# shellcheck shell=bash

WINE_ROOT=$(realpath -m -- "${QRC_WINE_ROOT:-/var/cache/quarvelton-wine-root}")
# Absolute for the scripts that run later in other folders (the emulator ctest starts).
export QRC_WINE_ROOT=$WINE_ROOT
# Written last into a finished root; a root with another recipe is made anew.
WINE_ROOT_RECIPE="trixie minbase; wine64 wine32:i386 fonts-wine qemu-user; emulated 32-bit loader; 2"
# Runs using the root hold it shared for their whole life; making or replacing it holds it
# exclusively, so a rebuild waits for those runs and a run waits for the build.
WINE_ROOT_LOCK="$WINE_ROOT.lock"
# The loaders inside the root, by target; the 32-bit one is the emulating script made below.
wine_loader() { [ "$1" = win32 ] && echo /usr/lib/wine/wine || echo /usr/lib/wine/wine64; }
WINE_SERVER=/usr/lib/wine/wineserver64

# Everything here needs root: the root's build, chroot and mounts.
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

# Stops the run, touching nothing, when the root's path holds something the scripts did not make.
refuse_foreign_wine_root() {
  if [ -e "$WINE_ROOT" ] || [ -L "$WINE_ROOT" ]; then
    [ -d "$WINE_ROOT" ] && [ ! -L "$WINE_ROOT" ] && [ -f "$WINE_ROOT/.qrc-recipe" ] && return 0
    echo "$WINE_ROOT is not a Wine root made by these scripts (it has no .qrc-recipe), so it is left as it is: set QRC_WINE_ROOT to a path that does not exist yet." >&2
    exit 1
  fi
}

# rm -rf of a folder the scripts made, refused while anything is mounted inside it: a bind mount
# of /dev or of a clone would otherwise be emptied with it.
remove_own_folder() {
  local mounted
  mounted=$(awk -v dir="$1/" 'index($5, dir) == 1 { print $5 }' /proc/self/mountinfo)
  if [ -n "$mounted" ]; then
    echo "Not removing $1: something is mounted inside it ($(head -n 1 <<<"$mounted"))." >&2
    return 1
  fi
  rm -rf --one-file-system "$1"
}

# The host's own Debian mirror: the first source whose signed Release file says Debian (the
# security archive says Debian-Security). apt reads both sources.list lines and .sources files.
# shellcheck disable=SC2016
host_debian_mirror() {
  apt-get indextargets --format '$(ORIGIN)|$(LABEL)|$(SITE)' 'Created-By: Packages' 2>/dev/null |
    awk -F'|' '$1 == "Debian" && $2 == "Debian" { print $3; exit }'
}

wine_root_mirror() {
  if [ -n "${QRC_WINE_ROOT_MIRROR:-}" ]; then
    echo "$QRC_WINE_ROOT_MIRROR"
    return
  fi
  local mirror
  mirror=$(host_debian_mirror)
  # The origin is known only from downloaded package lists.
  [ -n "$mirror" ] || { apt_get_update >&2 && mirror=$(host_debian_mirror); } || true
  if [ -z "$mirror" ]; then
    echo "The host's apt configuration has no Debian source to make the Wine root from: set QRC_WINE_ROOT_MIRROR to a Debian mirror's URL." >&2
    return 1
  fi
  echo "$mirror"
}

# Makes sure the root of this recipe is in place and holds it shared until the run's last
# process ends (the lock's descriptor is inherited by everything the run starts).
ensure_wine_root() {
  refuse_foreign_wine_root
  mkdir -p "$(dirname "$WINE_ROOT")"
  exec {WINE_ROOT_LOCK_FD}>>"$WINE_ROOT_LOCK"
  while :; do
    if ! flock -s -n "$WINE_ROOT_LOCK_FD"; then
      echo "Waiting for the Wine root in $WINE_ROOT, which another run is making ..." >&2
      flock -s "$WINE_ROOT_LOCK_FD"
    fi
    wine_root_ready && return 0
    if ! flock -x -n "$WINE_ROOT_LOCK_FD"; then
      echo "Waiting for the runs using the Wine root in $WINE_ROOT to end before making it anew ..." >&2
      flock -x "$WINE_ROOT_LOCK_FD"
    fi
    wine_root_ready || make_wine_root
  done
}

# Called with the exclusive lock. The root is made in a private temporary folder and moved into
# place when complete; a build that was killed leaves only such a folder, removed here next time.
make_wine_root() {
  refuse_foreign_wine_root
  local mirror stale temp proxy=
  mirror=$(wine_root_mirror)
  ensure_packages mmdebstrap
  for stale in "$WINE_ROOT".tmp-*; do
    [ -f "$stale/.qrc-temp" ] && remove_own_folder "$stale"
  done
  echo "Making the Wine root in $WINE_ROOT from $mirror (once per recipe; about 2.5 GB) ..."
  temp=$(mktemp -d "$WINE_ROOT.tmp-XXXXXX")
  touch "$temp/.qrc-temp"
  eval "$(apt-config shell proxy Acquire::http::Proxy)"
  # Both architectures and the Wine packages in one go. Its own pid namespace ends every
  # process of the build (and so its mounts) when this script dies, however it dies.
  setpriv --pdeathsig KILL unshare --mount --pid --fork --kill-child --mount-proc \
    mmdebstrap --quiet --variant=minbase --architectures=amd64,i386 \
    --include=wine64,wine32:i386,fonts-wine,qemu-user \
    --aptopt='APT::Install-Recommends "false"' ${proxy:+--aptopt="Acquire::http::Proxy \"$proxy\""} \
    trixie "$temp/root" "$mirror"
  # Wine execs its 32-bit loader by this name for every 32-bit process; the name becomes the
  # script below, which runs the real loader under qemu-i386. -0 keeps the name the process
  # sees as its own, so that its children come back here too.
  chroot "$temp/root" dpkg-divert --local --rename --divert /usr/lib/wine/wine-i386 /usr/lib/wine/wine >/dev/null
  cat >"$temp/root/usr/lib/wine/wine" <<'LOADER'
#!/bin/sh
export WINELOADERNOEXEC=1
exec /usr/bin/qemu-i386 -0 /usr/lib/wine/wine /usr/lib/wine/wine-i386 "$@"
LOADER
  chmod +x "$temp/root/usr/lib/wine/wine"
  mkdir -p "$temp/root/tmp/.X11-unix"
  echo "$WINE_ROOT_RECIPE" >"$temp/root/.qrc-recipe"
  # A root of another recipe goes into the temporary folder, so that it is removed with it.
  [ -d "$WINE_ROOT" ] && mv "$WINE_ROOT" "$temp/old"
  mv "$temp/root" "$WINE_ROOT"
  remove_own_folder "$temp"
}

# Runs the command in private mount and pid namespaces in which the root has /proc, /dev, /sys,
# the X socket folder and the given host folders (at their own paths) mounted, and replaces
# this shell with it. The namespace's first process runs the command and ends with it, and
# unshare kills that process when it is killed itself: either way the kernel then ends every
# process of the run, and the mounts go with the namespace.
exec_in_wine_root() {
  local folders=()
  while [ "$1" != "--" ]; do
    folders+=("$1")
    shift
  done
  shift
  mkdir -p /tmp/.X11-unix
  # shellcheck disable=SC2016
  exec unshare --mount --pid --fork --kill-child --mount-proc bash -euc '
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
    # Not exec: the first process of a pid namespace ignores signals it has no handler for.
    "$@" || exit $?
  ' bash "$WINE_ROOT" "${folders[@]}" -- "$@"
}
