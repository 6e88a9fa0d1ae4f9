#!/usr/bin/env bash
# Runs one command inside the test suite's Wine session (own prefix under the build folder,
# one wineserver, a 1280x1024x24 Xvfb screen), for example:
#   scripts/wine_run.sh ctest --test-dir build/win64 -R Controls
set -euo pipefail
source "$(dirname "$0")/common.sh"
ensure_packages "${WINE_PACKAGES[@]}"
start_wine_session
"$@"
