#!/usr/bin/env bash
# Builds the 32-bit (release) and the 64-bit program and leaves them in dist/win32 and
# dist/win64. The 64-bit build also holds the test suite.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${TOOLCHAIN_PACKAGES[@]}"

jobs=$(nproc)
configure_and_build() {
  local target=$1 toolchain=$2 tests=$3
  cmake -S "$ROOT" -B "$BUILD/$target" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DQRC_BUILD_TESTS="$tests" -DQRC_DIST_DIR="$DIST/$target" >/dev/null
  cmake --build "$BUILD/$target" -j "$jobs"
}

configure_and_build win32 toolchain-i686.cmake OFF
configure_and_build win64 toolchain-x86_64.cmake ON
echo "Built $DIST/win32/ResolutionChanger.exe and $DIST/win64/ResolutionChanger.exe"
