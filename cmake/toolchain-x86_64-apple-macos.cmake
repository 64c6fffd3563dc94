# 64-bit Intel macOS (.mexmaci64), macOS 10.13 or later.
set(MACOS_ARCH x86_64)
set(MACOS_MIN 10.13)
set(MACOS_CXX_ROOT /usr/include/c++)
set(MACOS_CXX_ARCH /usr/include/x86_64-linux-gnu/c++/VERSION)
set(MACOS_C_INCLUDE /usr/include/x86_64-linux-gnu /usr/include)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-macos.cmake")
