# Shared by the scripts: the project's folders and the installer of missing packages.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Separate build and dist folders can be given, so that several builds can run side by side.
BUILD="${QRC_BUILD_DIR:-$ROOT/build}"
DIST="${QRC_DIST_DIR:-$ROOT/dist}"

TOOLCHAIN_PACKAGES=(cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 googletest)
WINE_PACKAGES=(wine wine64 xvfb xauth)
SCREENSHOT_PACKAGES=(x11-apps imagemagick)

# Installs, without questions, whichever of the named Debian packages is missing.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing ${missing[*]} ..."
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Wine of its own under the build folder, with one wineserver kept alive for the whole run
# and a 1280x1024x24 X screen when none is given.
WINE_SESSION_XVFB_PID=
start_wine_session() {
  # A desktop with a window manager gets a prefix of its own: the tests' prefix leaves
  # windows unmanaged.
  export WINEPREFIX="$BUILD/wineprefix"
  [ "${QRC_USE_DISPLAY:-0}" = 1 ] && WINEPREFIX="$BUILD/wineprefix-desktop"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  trap stop_wine_session EXIT
  if [ "${QRC_USE_DISPLAY:-0}" != 1 ]; then
    local display=99
    while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    WINE_SESSION_XVFB_PID=$!
    export DISPLAY=":$display"
    local tries=0
    until [ -e "/tmp/.X11-unix/X$display" ] || [ $tries -ge 50 ]; do sleep 0.1; tries=$((tries + 1)); done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  # Wine's own fonts (Tahoma for the dialog font, Marlett for the caption buttons) are not
  # found in Debian's data folder on their own.
  if [ -d /usr/share/wine/fonts ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/tahoma.ttf" ]; then
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.tt[fc] "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  # A server left behind by an interrupted run would keep the old display.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p
  # The first program of a server starts Wine's own services, which would inherit and hold
  # open the output pipes of whatever ran first; start them here with no output.
  wine cmd /c exit </dev/null >/dev/null 2>&1
  # Xvfb has no window manager: Wine would wait two seconds for one at every window it hides.
  if [ "${QRC_USE_DISPLAY:-0}" != 1 ] && ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  fi
}

stop_wine_session() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$WINE_SESSION_XVFB_PID" ] && kill "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
}
