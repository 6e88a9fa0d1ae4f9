#!/usr/bin/env bash
# The cross-compiling emulator of both toolchains (ctest runs every test program through it):
#   wine_emulator.sh <win32|win64> program.exe args...
# runs the program with the root's Wine for that target, in its prefix, at the same path and
# in the same folder. It works inside the session that scripts/test.sh or scripts/wine_run.sh
# sets up.
set -euo pipefail
source "$(dirname "$0")/wine_root.sh"
if [ ! -e "$WINE_ROOT/proc/self" ] || [ -z "${WINE_PREFIXES:-}" ]; then
  echo "$(basename "$0"): no Wine session; run this through scripts/wine_run.sh" >&2
  exit 1
fi
target=$1
shift
WINEPREFIX="$WINE_PREFIXES/$target" exec chroot "$WINE_ROOT" /usr/bin/env -C "$PWD" "$(wine_loader "$target")" "$@"
