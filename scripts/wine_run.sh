#!/usr/bin/env bash
# Runs one command inside the test suite's Wine session (the root's Wine, the prefix under the
# build folder, one wineserver, a 1280x1024x24 Xvfb screen), for example:
#   scripts/wine_run.sh ctest --test-dir build/win32 -R Controls
set -euo pipefail
source "$(dirname "$0")/common.sh"
require_root "$@"
ensure_packages "${DISPLAY_PACKAGES[@]}"
enter_wine_root "$@"
start_wine_session
"$@"
