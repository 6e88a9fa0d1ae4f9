#!/usr/bin/env bash
# Builds the release and packs dist/ResolutionChanger-<version>-win32.zip: the 32-bit
# program and a short plain-text readme for players.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${TOOLCHAIN_PACKAGES[@]}" zip
"$ROOT/scripts/build.sh" >/dev/null

version=$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
staging="$BUILD/package/ResolutionChanger-$version"
rm -rf "$BUILD/package"
mkdir -p "$staging"
cp "$DIST/win32/ResolutionChanger.exe" "$staging/"
# Windows line ends, so that Notepad shows the lines.
sed "s/@VERSION@/$version/; s/\$/\r/" "$ROOT/resources/players-readme.txt" >"$staging/README.txt"
zip_file="$DIST/ResolutionChanger-$version-win32.zip"
rm -f "$zip_file"
(cd "$staging" && zip -q -X "$zip_file" ResolutionChanger.exe README.txt)
echo "$zip_file"
