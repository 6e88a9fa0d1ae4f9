#!/usr/bin/env bash
# Builds the release and packs, in dist/:
#   ResolutionChanger-<version>-win32.zip         the 32-bit program and a short plain-text readme for players;
#   ResolutionChanger-<version>-checks-win32.zip  the check kit: the same program, the 32-bit test programs
#                                                 and their list, the stand-in game, the runner, run-checks.cmd
#                                                 and a readme;
#   SHA256SUMS                                    both zips, each named as it lies beside it.
# The same commit gives the same bytes: the files carry the commit's date (or SOURCE_DATE_EPOCH).
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${TOOLCHAIN_PACKAGES[@]}" zip
QRC_BUILD_TESTS=ON "$ROOT/scripts/build.sh" >/dev/null

version=$(project_version)
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct)}"
rm -rf "$BUILD/package"

# Windows line ends, so that Notepad shows the lines and cmd reads the script.
windows_text() { sed "s/@VERSION@/$version/; s/\$/\r/" "$1" >"$2"; }

# pack <zip name> <staging folder> <files...>: in this order, dated with the commit, readable by all.
pack() {
  local zip_name=$1 staging=$2
  shift 2
  (cd "$staging" && chmod 644 "$@" && touch -d "@$epoch" "$@")
  rm -f "$DIST/$zip_name"
  # zip stores local time: UTC, so that the time zone of the build does not show in the zip.
  (cd "$staging" && TZ=UTC zip -q -X -D "$DIST/$zip_name" "$@")
}

player="$BUILD/package/player"
mkdir -p "$player"
cp "$DIST/win32/ResolutionChanger.exe" "$player/"
windows_text "$ROOT/resources/players-readme.txt" "$player/README.txt"
pack "ResolutionChanger-$version-win32.zip" "$player" ResolutionChanger.exe README.txt

checks="$BUILD/package/checks"
mkdir -p "$checks"
programs="$BUILD/win32/tests/bin"
cp "$DIST/win32/ResolutionChanger.exe" "$programs/quar.exe" "$programs/check_runner.exe" "$checks/"
# In the same order wherever it is built.
mapfile -t tests < <(cd "$programs" && LC_ALL=C ls -- *_tests.exe)
(cd "$programs" && cp "${tests[@]}" "$checks/")
# The runner runs the programs the kit was packed with, so that one missing from the folder is a failure.
printf '%s\r\n' "${tests[@]}" >"$checks/kit-programs.txt"
windows_text "$ROOT/kit/run-checks.cmd" "$checks/run-checks.cmd"
windows_text "$ROOT/kit/README.txt" "$checks/README.txt"
pack "ResolutionChanger-$version-checks-win32.zip" "$checks" run-checks.cmd README.txt ResolutionChanger.exe \
  check_runner.exe kit-programs.txt quar.exe "${tests[@]}"

# Only what is published beside it, so that "sha256sum -c SHA256SUMS" checks clean in the download folder;
# the program is checked through its zip.
(cd "$DIST" && sha256sum "ResolutionChanger-$version-win32.zip" "ResolutionChanger-$version-checks-win32.zip") \
  >"$DIST/SHA256SUMS"
echo "$DIST/ResolutionChanger-$version-win32.zip"
echo "$DIST/ResolutionChanger-$version-checks-win32.zip"
