#!/usr/bin/env bash
# Applies each fault of scripts/mutants.txt in turn, rebuilds, runs the suite and tells which
# tests caught it. Run inside the suite's Wine session, for all faults or a few:
#   scripts/wine_run.sh scripts/mutants.sh [M03 M07 ...]
# QRC_MUTANT_TARGETS chooses the suites (default: "win32 win64").
set -euo pipefail
source "$(dirname "$0")/common.sh"

LIST="$ROOT/scripts/mutants.txt"
OUT="$BUILD/mutants"
mkdir -p "$OUT"
RESULTS="$OUT/results.txt"
builds=()
targets=(${QRC_MUTANT_TARGETS:-win32 win64})
for target in "${targets[@]}"; do
  [ -f "$BUILD/$target/CTestTestfile.cmake" ] && builds+=("$BUILD/$target")
done
[ ${#builds[@]} -gt 0 ] || { echo "No build with tests under $BUILD: run scripts/build.sh first" >&2; exit 1; }

# The file being mutated and its saved original, put back on any exit. While a mutant is in
# place a record names the file and the mutant's checksum, so that the next run can put the
# original back after a hard kill, and only over the mutant itself.
mutated="" saved="$OUT/original.saved" record="$OUT/mutant-in-place"
restore() { [ -n "$mutated" ] && cp "$saved" "$mutated" && rm -f "$record" && mutated=""; return 0; }
trap restore EXIT
trap 'restore; exit 130' INT TERM

if [ -s "$record" ]; then
  read -r checksum path <"$record"
  if [ "$(sha256sum <"$path" 2>/dev/null | cut -d' ' -f1)" = "$checksum" ]; then
    mutated=$path
    restore
    echo "Restored $path, which a killed run had left mutated, from the copy it saved."
  else
    echo "A killed run had mutated $path, which has changed since, so it is left as it is."
    rm -f "$record"
  fi
fi
mutated_folders=(app formlayer gui runtime)
if git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1 &&
  [ -n "$(git -C "$ROOT" status --porcelain -- "${mutated_folders[@]}")" ]; then
  echo "Not starting: ${mutated_folders[*]} have uncommitted changes, which a mutant would be tested against; commit or stash them first." >&2
  git -C "$ROOT" status --short -- "${mutated_folders[@]}" >&2
  exit 1
fi

failed_tests() { sed -n '/The following tests FAILED:/,$p' "$1" | sed -En 's/^[[:space:]]*[0-9]+ - ([^ ]+) .*/\1/p'; }

# A fresh wineserver for each run, so that programs left hanging by one fault (ctest kills
# only the test) cannot disturb the next.
fresh_wine() {
  local target
  for target in "${targets[@]}"; do restart_wine_server "$target"; done
}

# Builds every folder and runs its tests; prints the names of the failed tests, one a line.
# Returns 2 when a build fails. Under load Wine now and then fails a test on its own, so when
# few fail they are run once more: a name that passes then is printed with a "?".
build_and_test() {
  local log=$1 dir name first again
  : >"$log"
  : >"$log.again"
  for dir in "${builds[@]}"; do
    cmake --build "$dir" -j2 >>"$log" 2>&1 || return 2
  done
  fresh_wine
  for dir in "${builds[@]}"; do
    ctest --test-dir "$dir" --timeout 300 --output-on-failure >>"$log" 2>&1 && continue
    [ "$(failed_tests "$log" | wc -l)" -le 5 ] || continue
    ctest --test-dir "$dir" --rerun-failed --timeout 300 --output-on-failure >>"$log.again" 2>&1 || true
  done
  first=$(failed_tests "$log")
  again=$(failed_tests "$log.again")
  [ "$(wc -l <<<"$first")" -le 5 ] || again=$first
  for name in $first; do
    grep -qxF "$name" <<<"$again" && echo "$name" || echo "$name?"
  done
}

# yes: a test failed twice; flaky: tests failed only once; NO: nothing failed.
verdict() { grep -q '[^?]$' <<<"$1" && echo yes || { [ -n "$1" ] && echo flaky || echo NO; }; }

row() { printf '%-5s %-32s %-13s %5s  %s\n' "$@" | tee -a "$RESULTS"; }

: >"$RESULTS"
row ID FILE CAUGHT SECS "FAILED TESTS"
start_time=$SECONDS
# The unchanged code first: a test that fails here says nothing about a fault.
failed=$(build_and_test "$OUT/baseline.log") || { echo "The unchanged code does not build" >&2; exit 1; }
row BASE - "$([ -z "$failed" ] && echo clean || echo FAILING)" $((SECONDS - start_time)) "$(echo $failed)"

# The list is read on its own descriptor: the builds and tests must not eat it from stdin.
while IFS= read -r -u 3 line; do
  [[ -z "$line" || "$line" == \#* ]] && continue
  # Tabs are whitespace to read, which would merge an empty replacement with its neighbours.
  IFS=$'\x1f' read -r id file find replacement description <<<"${line//$'\t'/$'\x1f'}"
  [ $# -gt 0 ] && [[ " $* " != *" $id "* ]] && continue
  find=${find//\\n/$'\n'} replacement=${replacement//\\n/$'\n'}
  path="$ROOT/$file"
  # The text must occur exactly once, or the mutant no longer says which code it changes.
  content=$(cat "$path" 2>/dev/null; printf x) && content=${content%x}
  rest=${content//"$find"/}
  if [ ! -f "$path" ] || [ -z "$find" ] || [ $(( (${#content} - ${#rest}) / ${#find} )) -ne 1 ]; then
    row "$id" "$file" BROKEN - "text not found exactly once"
    continue
  fi
  cp "$path" "$saved"
  mutated=$path
  printf '%s %s\n' "$(printf '%s' "${content/"$find"/"$replacement"}" | sha256sum | cut -d' ' -f1)" "$path" >"$record"
  printf '%s' "${content/"$find"/"$replacement"}" >"$path"
  echo "[$id] $description" >&2
  began=$SECONDS
  if failed=$(build_and_test "$OUT/$id.log" </dev/null); then
    row "$id" "$file" "$(verdict "$failed")" $((SECONDS - began)) "$(echo $failed)"
  else
    row "$id" "$file" "not compiled" $((SECONDS - began)) "see $OUT/$id.log"
  fi
  restore
done 3<"$LIST"

# Leave the builds holding the unchanged code.
for dir in "${builds[@]}"; do cmake --build "$dir" -j2 >/dev/null; done
echo "Wall time: $(( (SECONDS - start_time) / 60 )) min $(( (SECONDS - start_time) % 60 )) s; table in $RESULTS" |
  tee -a "$RESULTS"
