# Shared by the scripts: the project's folders, the installer of missing packages and the
# Wine session (Wine 10 of the root made by wine_root.sh, under Xvfb).
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Separate build and dist folders can be given, so that several builds can run side by side.
BUILD="${QRC_BUILD_DIR:-$ROOT/build}"
DIST="${QRC_DIST_DIR:-$ROOT/dist}"
# The two targets: the 32-bit release first.
TARGETS=(win32 win64)

TOOLCHAIN_PACKAGES=(cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 googletest)
# Wine itself lives in the root; the host gives the X server.
DISPLAY_PACKAGES=(xvfb xauth)
SCREENSHOT_PACKAGES=(x11-apps imagemagick x11-utils)

source "$ROOT/scripts/wine_root.sh"

# apt waits this long for another apt or dpkg to let go of the package database.
apt_get() {
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 "$@"
}

# The lock option does not cover the package lists, so a busy update is tried once more later.
apt_get_update() {
  apt_get update -qq && return 0
  echo "apt-get update failed; trying once more in 30 s ..." >&2
  sleep 30
  apt_get update -qq
}

# Installs, without questions, whichever of the named Debian packages is missing.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing ${missing[*]} ..."
  apt_get_update
  apt_get install -y -qq "${missing[@]}" >/dev/null
}

# Replaces the calling script with itself, run again with the same arguments inside the Wine
# root's namespaces (see exec_in_wine_root), with the clone, the build and dist folders and the
# folders in QRC_EXTRA_MOUNTS at their own paths. Returns at once when already inside.
enter_wine_root() {
  [ -n "${QRC_IN_WINE_ROOT:-}" ] && return 0
  ensure_wine_root
  local folders=("$ROOT") folder
  mkdir -p "$BUILD" "$DIST"
  for folder in "$BUILD" "$DIST" ${QRC_EXTRA_MOUNTS:-}; do
    folder=$(cd "$folder" && pwd)
    [[ "$folder/" == "$ROOT/"* ]] || folders+=("$folder")
  done
  export QRC_IN_WINE_ROOT=1
  exec_in_wine_root "${folders[@]}" -- "$0" "$@"
}

# Runs a Windows program (or one of Wine's own commands) of a target in the root, in that
# target's prefix and the current folder: wine_for win32 prog.exe args...
wine_for() {
  local target=$1
  shift
  WINEPREFIX="$WINE_PREFIXES/$target" chroot "$WINE_ROOT" /usr/bin/env -C "$PWD" "$(wine_loader "$target")" "$@"
}
wineserver_for() {
  local target=$1
  shift
  WINEPREFIX="$WINE_PREFIXES/$target" chroot "$WINE_ROOT" "$WINE_SERVER" "$@"
}

# A prefix per target (a 32-bit one for the emulated 32-bit programs), a wineserver kept alive
# for each during the whole run, and a 1280x1024x24 X screen when none is given.
WINE_SESSION_XVFB_PID=
start_wine_session() {
  # A desktop with a window manager gets prefixes of their own: the tests' leave windows
  # unmanaged.
  export WINE_PREFIXES="$BUILD/wineprefix"
  [ "${QRC_USE_DISPLAY:-0}" = 1 ] && WINE_PREFIXES="$BUILD/wineprefix-desktop"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  trap stop_wine_session EXIT
  if [ "${QRC_USE_DISPLAY:-0}" != 1 ]; then
    # Xvfb takes the first free display itself and writes its number once it accepts clients.
    local fifo display=
    fifo=$(mktemp -u /tmp/qrc-xvfb.XXXXXX)
    mkfifo -m 600 "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    WINE_SESSION_XVFB_PID=$!
    read -r -t 30 display <"$fifo" || true
    rm -f "$fifo"
    [ -n "$display" ] || { echo "Xvfb did not start." >&2; return 1; }
    export DISPLAY=":$display"
  fi
  local target
  for target in "${TARGETS[@]}"; do
    local prefix="$WINE_PREFIXES/$target"
    if [ ! -f "$prefix/system.reg" ]; then
      mkdir -p "$prefix"
      WINEARCH=$target wine_for "$target" wineboot -i >/dev/null 2>&1
      wineserver_for "$target" -w
    fi
    # Xvfb has no window manager: Wine would wait two seconds for one at every window it hides.
    if [ "${QRC_USE_DISPLAY:-0}" != 1 ] && ! grep -q '"Managed"="N"' "$prefix/user.reg" 2>/dev/null; then
      wine_for "$target" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    fi
    # Windows with its error reporting off, as the check kit's runner sets it for the tests, ends a program
    # that crashes at once with its exception code. Wine ignores that and starts winedbg, whose dialog
    # nobody answers under Xvfb; with no debugger it can start, it ends the program as Windows does.
    if ! grep -q '^"Debugger"=""' "$prefix/system.reg" 2>/dev/null; then
      wine_for "$target" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f \
        </dev/null >/dev/null 2>&1
    fi
  done
  set_screen_dpi 96
}

# The screen's dots per inch for the programs started from now on. Wine reads it when a server's
# desktop starts, so the servers start again.
set_screen_dpi() {
  local target
  for target in "${TARGETS[@]}"; do
    wine_for "$target" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
      </dev/null >/dev/null 2>&1 || true
    restart_wine_server "$target"
  done
}

# A fresh persistent wineserver for the target, with nothing left of the old one's programs.
restart_wine_server() {
  wineserver_for "$1" -k >/dev/null 2>&1 || true
  wineserver_for "$1" -w >/dev/null 2>&1 || true
  wineserver_for "$1" -p
  # The first program of a server starts Wine's own services, which would inherit and hold
  # open the output pipes of whatever ran first; start them here with no output.
  wine_for "$1" cmd /c exit </dev/null >/dev/null 2>&1
}

stop_wine_session() {
  local target
  for target in "${TARGETS[@]}"; do wineserver_for "$target" -k >/dev/null 2>&1 || true; done
  # Only our own Xvfb, and only while this shell has not yet seen it end (its pid may be reused).
  if [ -n "$WINE_SESSION_XVFB_PID" ] && job_running "$WINE_SESSION_XVFB_PID"; then
    kill "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
  fi
}

# The version the root CMakeLists.txt gives the project.
project_version() { sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt"; }

# Unpacks the check kit into an empty folder outside the build and the clone, runs run-checks.cmd
# there under the 32-bit Wine, as a Windows user would, and checks its report: every test the build's
# ctest lists (build folder given) is there, and none failed. The folder goes at the end. Its path has
# spaces, brackets and an accented letter, as a download folder of a user named José has.
run_check_kit() {
  local build=$1 version folder kit report names name missing=0 started=$SECONDS
  version=$(project_version)
  folder=$(mktemp -d "$WINE_ROOT/tmp/qrc-checks.XXXXXX")
  kit="$folder/Téléchargements/Quarvelton checks (1)"
  mkdir -p "$kit"
  unzip -q "$DIST/ResolutionChanger-$version-checks-win32.zip" -d "$kit"
  WINEPREFIX="$WINE_PREFIXES/win32" chroot "$WINE_ROOT" /usr/bin/env -C "${kit#"$WINE_ROOT"}" \
    "$(wine_loader win32)" cmd /c run-checks.cmd </dev/null || true
  report=$(tr -d '\r' <"$kit/checks-report.txt" 2>/dev/null || true)
  rm -rf --one-file-system "$folder"
  names=$(ctest --test-dir "$build" -N | sed -n 's/^ *Test *#[0-9]*: //p')
  for name in $names; do
    grep -qE "^(passed|skipped)  $name\$" <<<"$report" && continue
    echo "Not passed in the kit's report: $name"
    missing=1
  done
  echo "The check kit took $((SECONDS - started)) s; its report ends: $(tail -n 1 <<<"$report")"
  [ "$missing" -eq 0 ] && grep -qE '^[0-9]+ passed, 0 failed' <<<"$(tail -n 1 <<<"$report")"
}

# Whether a process this shell started in the background is still running.
job_running() { [[ " $(jobs -pr | tr '\n' ' ') " == *" $1 "* ]]; }
