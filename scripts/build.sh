#!/usr/bin/env bash
# Builds the 32-bit (release) and the 64-bit program, each with its test suite, and leaves the
# programs in dist/win32 and dist/win64. QRC_BUILD_TESTS=OFF builds the programs alone.
set -euo pipefail
source "$(dirname "$0")/common.sh"

ensure_packages "${TOOLCHAIN_PACKAGES[@]}"

jobs=$(nproc)
configure_and_build() {
  local target=$1 toolchain=$2
  cmake -S "$ROOT" -B "$BUILD/$target" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DQRC_BUILD_TESTS="${QRC_BUILD_TESTS:-ON}" -DQRC_DIST_DIR="$DIST/$target" >/dev/null
  cmake --build "$BUILD/$target" -j "$jobs"
}

configure_and_build win32 toolchain-i686.cmake
configure_and_build win64 toolchain-x86_64.cmake
echo "Built $DIST/win32/ResolutionChanger.exe and $DIST/win64/ResolutionChanger.exe"
