# Apple silicon macOS (.mexmaca64), macOS 11 (the first release for arm64) or
# later. The C and C++ headers are those of Debian's aarch64 cross compiler
# (g++-aarch64-linux-gnu), which match the processor's types and alignment.
set(MACOS_ARCH arm64)
set(MACOS_MIN 11.0)
set(MACOS_CXX_ROOT /usr/aarch64-linux-gnu/include/c++)
set(MACOS_CXX_ARCH /usr/aarch64-linux-gnu/include/c++/VERSION/aarch64-linux-gnu)
set(MACOS_C_INCLUDE /usr/aarch64-linux-gnu/include)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-macos.cmake")
