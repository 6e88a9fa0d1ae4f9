#!/usr/bin/env bash
# Measures the program against a bare Win32 baseline (bench/baseline.cpp) under the root's Wine
# and Xvfb, for each target against the baseline built for the same target: start-up time,
# private memory, the interception hook's cost per message, the wineserver requests of start-up
# and the sizes of the programs. Prints one "name: value" line per figure, each with its
# target's suffix; startup_ratio and private_bytes_ratio repeat the 32-bit (release) figures.
# The lines also go to dist/bench.txt. Timings are ratios against the baseline measured in the
# same run; not part of the tests, since they depend on the machine and on what else it does.
#   QRC_BENCH_RUNS      start-up runs of each program (default 41)
#   QRC_BENCH_BATCHES   batches of each hook case, with and without the hook (default 15)
#   QRC_BENCH_CALLS     SendMessageA calls per batch (default 5000)
set -euo pipefail
source "$(dirname "$0")/common.sh"

require_root "$@"
[ -n "${QRC_IN_WINE_ROOT:-}" ] || ensure_packages "${TOOLCHAIN_PACKAGES[@]}" "${DISPLAY_PACKAGES[@]}"
enter_wine_root "$@"
"$ROOT/scripts/build.sh" >&2

{
  echo "Machine: $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1), $(nproc) cores"
  echo "Wine: $(chroot "$WINE_ROOT" /usr/lib/wine/wine64 --version 2>/dev/null)"
} >&2

# The sample game folder of a target: the stand-in game, the program, the baseline and a
# configuration file holding 1024x768.
lay_out_game() {
  local target=$1 game="$BUILD/bench-game-$1"
  rm -rf "$game"
  mkdir -p "$game/Data"
  cp "$BUILD/$target/tests/bin/quar.exe" "$game/quar.exe"
  cp "$DIST/$target/ResolutionChanger.exe" "$game/ResolutionChanger.exe"
  cp "$BUILD/$target/bench/Baseline.exe" "$game/Baseline.exe"
  printf 'QUAR\x01\x00\x00\x00\x00\x04\x00\x03' >"$game/Data/GAME.CFG"
  echo "$game"
}

# The wineserver requests that a program's main thread makes until it first waits for input
# (its first "get_message() = PENDING"), read from the trace of a server started for it: the
# thread is the first one of the process made for that program. The count does not move with
# the machine's load. Prints nothing until the trace holds the whole start-up.
count_startup_requests() {
  awk -v exe="\\\\$1\"" '
    !pid && index($0, "new_process(") && index($0, exe) { requester = $1; next }
    requester && !pid && $1 == requester && $2 == "new_process()" {
      match($0, /pid=[0-9a-f]+/); pid = substr($0, RSTART + 4, RLENGTH - 4) }
    pid && !thread && $2 == "init_first_thread()" && index($0, "pid=" pid ",") { thread = $1; count = 1; next }
    thread && $1 == thread && $2 ~ /^[a-z_]+\($/ { count++ }
    thread && $1 == thread && $2 == "get_message()" && $4 == "PENDING" { print count; exit }' "$2"
}

startup_server_requests() {
  local target=$1 game=$2 program=$3 trace="$BUILD/bench-trace-$1.txt"
  wineserver_for "$target" -k >/dev/null 2>&1 || true
  wineserver_for "$target" -w >/dev/null 2>&1 || true
  wineserver_for "$target" -f -d1 -p 2>"$trace" &
  local server=$! tries=0
  # A program started before the traced server listens would start a server of its own (and
  # the trace would stay empty). The server says "starting" once its socket listens.
  until grep -q '^wineserver: starting' "$trace"; do
    if ! job_running "$server" || [ $tries -ge 300 ]; then
      echo "The traced wineserver of $target did not start: $(head -n 3 "$trace")" >&2
      return 1
    fi
    sleep 0.1
    tries=$((tries + 1))
  done
  # Wine's own services start with the server's first program, not with the measured one.
  wine_for "$target" cmd /c exit </dev/null >/dev/null 2>&1
  # Started by a program of Wine's, so that the trace names it when its process is made.
  (cd "$game" && wine_for "$target" cmd /c "$program" </dev/null >/dev/null 2>&1) &
  local count=""
  tries=0
  while [ -z "$count" ] && [ $tries -lt 600 ]; do
    sleep 0.1
    count=$(count_startup_requests "$program" "$trace")
    tries=$((tries + 1))
  done
  wineserver_for "$target" -k >/dev/null 2>&1 || true
  wait 2>/dev/null || true
  wineserver_for "$target" -p
  echo "$count"
}

figures_of() {
  local target=$1 game
  game=$(lay_out_game "$target")
  local folder="Z:${game//\//\\}"
  local measured
  measured=$(wine_for "$target" "$BUILD/$target/bench/bench_driver.exe" "$folder" "$folder\\ResolutionChanger.exe" \
    "$folder\\Baseline.exe" "${QRC_BENCH_RUNS:-41}" "${QRC_BENCH_BATCHES:-15}" "${QRC_BENCH_CALLS:-5000}" \
    </dev/null | tr -d '\r')
  local program_requests baseline_requests
  program_requests=$(startup_server_requests "$target" "$game" ResolutionChanger.exe)
  baseline_requests=$(startup_server_requests "$target" "$game" Baseline.exe)
  echo "$measured"
  echo "startup_server_requests_program: $program_requests"
  echo "startup_server_requests_baseline: $baseline_requests"
  awk -v p="$program_requests" -v b="$baseline_requests" \
    'BEGIN { printf "startup_server_requests_ratio: %.3f\n", (b > 0 ? p / b : 0) }'
  echo "exe_bytes: $(stat -c %s "$DIST/$target/ResolutionChanger.exe")"
  echo "baseline_bytes: $(stat -c %s "$BUILD/$target/bench/Baseline.exe")"
}

start_wine_session
mkdir -p "$DIST"
{
  for target in "${TARGETS[@]}"; do
    figures_of "$target" | sed "s/^\([a-z_]*\):/\1_$target:/"
  done
} >"$DIST/bench.txt.new"
{
  sed -n 's/^\(startup_ratio\|private_bytes_ratio\)_win32:/\1:/p' "$DIST/bench.txt.new"
  cat "$DIST/bench.txt.new"
} | tee "$DIST/bench.txt"
rm -f "$DIST/bench.txt.new"
