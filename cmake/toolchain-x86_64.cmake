# 64-bit Windows, built from the same source and tested like the release.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(MANIFEST_ARCHITECTURE amd64)
set(QRC_TARGET_NAME win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
