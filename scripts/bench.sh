#!/usr/bin/env bash
# Measures the program against a bare Win32 baseline (bench/baseline.cpp) under Wine and
# Xvfb: start-up time, private memory, the interception hook's cost per message, and the
# sizes of the programs. Prints one "name: value" line per figure and writes the same lines
# to dist/bench.txt. Every timing is a ratio against the baseline measured in the same run.
# Not part of the tests: the figures depend on the machine and on what else it is doing.
#   QRC_BENCH_RUNS      start-up runs of each program (default 41)
#   QRC_BENCH_BATCHES   batches of each hook case, with and without the hook (default 15)
#   QRC_BENCH_CALLS     SendMessageA calls per batch (default 5000)
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${TOOLCHAIN_PACKAGES[@]}" "${WINE_PACKAGES[@]}"
"$ROOT/scripts/build.sh" >&2

# The sample game folder both programs start in: the stand-in game and a configuration
# file holding 1024x768.
game="$BUILD/bench-game"
rm -rf "$game"
mkdir -p "$game/Data"
cp "$BUILD/win64/tests/bin/quar.exe" "$game/quar.exe"
cp "$DIST/win64/ResolutionChanger.exe" "$game/ResolutionChanger.exe"
cp "$BUILD/win64/bench/Baseline.exe" "$game/Baseline.exe"
printf 'QUAR\x01\x00\x00\x00\x00\x04\x00\x03' >"$game/Data/GAME.CFG"

{
  echo "Machine: $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1), $(nproc) cores"
  echo "Wine: $(wine --version 2>/dev/null | head -n 1)"
} >&2

start_wine_session
folder=$(winepath -w "$game" 2>/dev/null)
figures=$(wine "$BUILD/win64/bench/bench_driver.exe" "$folder" "$folder\\ResolutionChanger.exe" \
  "$folder\\Baseline.exe" "${QRC_BENCH_RUNS:-41}" "${QRC_BENCH_BATCHES:-15}" "${QRC_BENCH_CALLS:-5000}" \
  </dev/null | tr -d '\r')

mkdir -p "$DIST"
{
  echo "$figures"
  echo "exe_bytes_win32: $(stat -c %s "$DIST/win32/ResolutionChanger.exe")"
  echo "exe_bytes_win64: $(stat -c %s "$DIST/win64/ResolutionChanger.exe")"
  echo "baseline_bytes_win32: $(stat -c %s "$BUILD/win32/bench/Baseline.exe")"
  echo "baseline_bytes_win64: $(stat -c %s "$BUILD/win64/bench/Baseline.exe")"
} | tee "$DIST/bench.txt"
