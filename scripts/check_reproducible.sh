#!/usr/bin/env bash
# Builds the release and the check kit of the current commit twice, from two copies of its files in two
# different folders (the second in another time zone and umask), and compares the two programs and the zips.
# Prints their hashes; exits non-zero when any of them differs.
set -euo pipefail
source "$(dirname "$0")/common.sh"

commit=$(git -C "$ROOT" rev-parse HEAD)
epoch=$(git -C "$ROOT" log -1 --format=%ct "$commit")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Paths of different lengths, so that a path left in the program shows as a difference.
copies=("$work/a" "$work/second/copy")
zones=(UTC XYZ-7)
masks=(022 077)
for i in 0 1; do
  mkdir -p "${copies[$i]}"
  git -C "$ROOT" archive "$commit" | tar -x -C "${copies[$i]}"
  echo "Building $commit in ${copies[$i]} ..."
  (umask "${masks[$i]}" && env -u QRC_BUILD_DIR -u QRC_DIST_DIR TZ="${zones[$i]}" SOURCE_DATE_EPOCH="$epoch" \
    "${copies[$i]}/scripts/package.sh" >/dev/null)
done

version=$(project_version)
status=0
for file in win32/ResolutionChanger.exe win64/ResolutionChanger.exe "ResolutionChanger-$version-win32.zip" \
  "ResolutionChanger-$version-checks-win32.zip" SHA256SUMS; do
  first=$(sha256sum <"${copies[0]}/dist/$file" | cut -d' ' -f1)
  second=$(sha256sum <"${copies[1]}/dist/$file" | cut -d' ' -f1)
  if [ "$first" = "$second" ]; then
    echo "same       $first  $file"
  else
    echo "DIFFERENT  $first  $second  $file"
    status=1
  fi
done
[ $status -eq 0 ] && echo "Reproducible: both builds of $commit are byte-identical." || echo "NOT reproducible."
exit $status
