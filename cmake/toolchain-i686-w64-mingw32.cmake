# 32-bit Windows (.mexw32) with mingw-w64: i686, x87 floating point (the
# compiler's default; no SSE math flags may be added).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLE i686-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake")
