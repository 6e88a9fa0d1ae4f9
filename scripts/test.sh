#!/usr/bin/env bash
# The test command: builds both targets, runs the whole suite of the 64-bit build under
# Wine and Xvfb, and checks that the 32-bit program imports system DLLs only.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${TOOLCHAIN_PACKAGES[@]}" "${WINE_PACKAGES[@]}"
"$ROOT/scripts/build.sh"

start_wine_session
status=0
# A test that fails is run once more: now and then Wine fails to start a program at all
# (no output, exit code non-zero), which says nothing about the code under test. A test
# that fails twice fails the run.
ctest --test-dir "$BUILD/win64" --output-on-failure --timeout 300 --repeat until-pass:2 "$@" || status=1

echo
echo "Imports of dist/win32/ResolutionChanger.exe:"
allowed='^(KERNEL32|USER32|GDI32|SHELL32|COMCTL32|MSVCRT)\.DLL$'
while read -r dll; do
  if [[ "${dll^^}" =~ $allowed ]]; then
    echo "  $dll"
  else
    echo "  $dll  <- not a permitted system DLL"
    status=1
  fi
done < <(i686-w64-mingw32-objdump -p "$DIST/win32/ResolutionChanger.exe" | sed -n 's/^\s*DLL Name: //p')

[ $status -eq 0 ] && echo "All tests passed." || echo "FAILED."
exit $status
