#!/usr/bin/env bash
# Lays out a sample game folder (the stand-in quar.exe and a Data\GAME.CFG holding
# 1024x768) and starts ResolutionChanger.exe in it under Wine. With a display, the program
# runs until you close it; without one, it runs under Xvfb, a screenshot of the screen is
# saved as a PNG, and the program is closed again.
# On Windows no script is needed: put ResolutionChanger.exe in the game's folder and start it.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${TOOLCHAIN_PACKAGES[@]}" "${WINE_PACKAGES[@]}" "${SCREENSHOT_PACKAGES[@]}" x11-utils
"$ROOT/scripts/build.sh" >/dev/null

game="$BUILD/demo-game"
rm -rf "$game"
mkdir -p "$game/Data"
cp "$BUILD/win64/tests/bin/quar.exe" "$game/quar.exe"
cp "$DIST/win64/ResolutionChanger.exe" "$game/ResolutionChanger.exe"
# Eight bytes the changer never touches, then 1024 and 768 as 16-bit little-endian words.
printf 'QUAR\x01\x00\x00\x00\x00\x04\x00\x03' >"$game/Data/GAME.CFG"
echo "Sample game folder: $game"

if [ -n "${DISPLAY:-}" ]; then
  export QRC_USE_DISPLAY=1
  start_wine_session
  cd "$game"
  wine ResolutionChanger.exe
  exit 0
fi

start_wine_session
cd "$game"
wine ResolutionChanger.exe &
title="Quarvelton Resolution Changer"
for _ in $(seq 100); do
  xwininfo -name "$title" >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 1
shot="$DIST/screenshot.png"
mkdir -p "$DIST"
geometry=$(xwininfo -name "$title" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
  /Width:/ {w=$2} /Height:/ {h=$2} END {printf "%dx%d+%d+%d", w + 80, h + 80, x - 40, y - 40}')
xwd -root -silent | convert xwd:- -crop "$geometry" +repage "$shot"
echo "Screenshot of the running program: $shot"
# Ending the Wine session closes the program with it.
