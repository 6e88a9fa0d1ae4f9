#!/usr/bin/env bash
# Lays out a sample game folder (the stand-in quar.exe and a Data\GAME.CFG holding 1024x768)
# and starts the release, the 32-bit ResolutionChanger.exe that players download, in it under
# the root's Wine. With a display, the program runs until you close it; without one, it runs
# under Xvfb, a screenshot of the screen is saved as dist/screenshot.png, and the program is
# closed again. QRC_SCREEN_DPI=144 shows it at 144 dots per inch (150%).
# On Windows no script is needed: put ResolutionChanger.exe in the game's folder and start it.
set -euo pipefail
source "$(dirname "$0")/common.sh"

require_root "$@"
if [ -z "${QRC_IN_WINE_ROOT:-}" ]; then
  ensure_packages "${TOOLCHAIN_PACKAGES[@]}" "${DISPLAY_PACKAGES[@]}" "${SCREENSHOT_PACKAGES[@]}"
  # A desktop's X authority file lies outside the root.
  [ -n "${DISPLAY:-}" ] && [ -f "${XAUTHORITY:-$HOME/.Xauthority}" ] &&
    export QRC_EXTRA_MOUNTS="$(dirname "${XAUTHORITY:-$HOME/.Xauthority}")"
fi
enter_wine_root "$@"
"$ROOT/scripts/build.sh" >/dev/null

game="$BUILD/demo-game"
rm -rf "$game"
mkdir -p "$game/Data"
cp "$BUILD/win32/tests/bin/quar.exe" "$game/quar.exe"
cp "$DIST/win32/ResolutionChanger.exe" "$game/ResolutionChanger.exe"
# Eight bytes the changer never touches, then 1024 and 768 as 16-bit little-endian words.
printf 'QUAR\x01\x00\x00\x00\x00\x04\x00\x03' >"$game/Data/GAME.CFG"
echo "Sample game folder: $game"

if [ -n "${DISPLAY:-}" ]; then
  export QRC_USE_DISPLAY=1
  start_wine_session
  cd "$game"
  wine_for win32 ResolutionChanger.exe
  exit 0
fi

start_wine_session
set_screen_dpi "${QRC_SCREEN_DPI:-96}"
cd "$game"
wine_for win32 ResolutionChanger.exe &
title="Quarvelton Resolution Changer"
for _ in $(seq 150); do
  xwininfo -name "$title" >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 2
shot="$DIST/screenshot.png"
[ "${QRC_SCREEN_DPI:-96}" = 96 ] || shot="$DIST/screenshot-${QRC_SCREEN_DPI}dpi.png"
mkdir -p "$DIST"
geometry=$(xwininfo -name "$title" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
  /Width:/ {w=$2} /Height:/ {h=$2} END {printf "%dx%d+%d+%d", w + 80, h + 80, x - 40, y - 40}')
xwd -root -silent | convert xwd:- -crop "$geometry" +repage "$shot"
echo "Screenshot of the running program: $shot"
# Ending the Wine session closes the program with it.
