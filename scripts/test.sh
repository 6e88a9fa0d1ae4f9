#!/usr/bin/env bash
# The test command: builds both targets and the release zips, and runs each target's whole suite under
# the Wine of the root (scripts/wine_root.sh) and Xvfb: the 64-bit one with ctest, the 32-bit one from
# the check kit, unpacked outside the build as a Windows user unpacks it. Then the tests that depend on
# the screen's dots per inch at 120 and 144, and a check that the 32-bit program imports system DLLs
# only. Arguments are passed to ctest, which then runs the 32-bit suite too, instead of the kit.
# Needs root (or password-less sudo).
set -euo pipefail
source "$(dirname "$0")/common.sh"

require_root "$@"
[ -n "${QRC_IN_WINE_ROOT:-}" ] || ensure_packages "${TOOLCHAIN_PACKAGES[@]}" "${DISPLAY_PACKAGES[@]}" zip unzip
# From here on this script runs inside the root's namespaces, so that the build, ctest, Wine
# and Xvfb all end with it, however it ends.
enter_wine_root "$@"
"$ROOT/scripts/package.sh"

start_wine_session
status=0
for target in "${TARGETS[@]}"; do
  echo
  if [ "$target" = win32 ] && [ $# -eq 0 ]; then
    echo "== $target, from the check kit =="
    run_check_kit "$BUILD/win32" || status=1
    continue
  fi
  echo "== $target =="
  ctest --test-dir "$BUILD/$target" --output-on-failure --timeout 300 "$@" || status=1
done

# The tests of what depends on the screen's dots per inch, again at those players use (125% and 150%):
# the layout and the icons' sizes.
for dots in 120 144; do
  set_screen_dpi "$dots"
  for target in "${TARGETS[@]}"; do
    for test in EndToEnd.TheFormIsLaidOutForTheScreensDotsPerInch WindowsTest.EveryWindowHasTheIconAtTheSystemsSizes; do
      if ctest --test-dir "$BUILD/$target" --output-on-failure --timeout 300 -R "^$test\$" -Q; then
        echo "$test at $dots dots per inch ($target): passed"
      else
        echo "$test at $dots dots per inch ($target): FAILED"
        status=1
      fi
    done
  done
done
set_screen_dpi 96

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
