# 32-bit Windows, the release target.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(MANIFEST_ARCHITECTURE x86)
set(QRC_TARGET_NAME win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
