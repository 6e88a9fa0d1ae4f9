#!/usr/bin/env bash
# Builds the release and packs dist/ResolutionChanger-<version>-win32.zip (the 32-bit program
# and a short plain-text readme for players) and dist/SHA256SUMS (the zip and the program in it).
# The same commit gives the same bytes: the files carry the commit's date (or SOURCE_DATE_EPOCH).
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${TOOLCHAIN_PACKAGES[@]}" zip
"$ROOT/scripts/build.sh" >/dev/null

version=$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct)}"
staging="$BUILD/package/ResolutionChanger-$version"
rm -rf "$BUILD/package"
mkdir -p "$staging"
cp "$DIST/win32/ResolutionChanger.exe" "$staging/"
# Windows line ends, so that Notepad shows the lines.
sed "s/@VERSION@/$version/; s/\$/\r/" "$ROOT/resources/players-readme.txt" >"$staging/README.txt"
files=(ResolutionChanger.exe README.txt)
(cd "$staging" && chmod 644 "${files[@]}" && touch -d "@$epoch" "${files[@]}")
zip_name="ResolutionChanger-$version-win32.zip"
rm -f "$DIST/$zip_name" "$DIST/SHA256SUMS"
# zip stores local time: UTC, so that the time zone of the build does not show in the zip.
(cd "$staging" && TZ=UTC zip -q -X -D "$DIST/$zip_name" "${files[@]}")
{
  (cd "$DIST" && sha256sum "$zip_name")
  (cd "$staging" && sha256sum ResolutionChanger.exe)
} >"$DIST/SHA256SUMS"
echo "$DIST/$zip_name"
