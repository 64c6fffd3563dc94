# 64-bit ARM Linux (aarch64) with Debian's g++-aarch64-linux-gnu. The test
# programs run under user-mode qemu (qemu-user), which CTest and GoogleTest's
# test discovery call through CMAKE_CROSSCOMPILING_EMULATOR.
# cmake/Mex.cmake sets the optimization to mkoctfile's -O2.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(triple aarch64-linux-gnu)

find_program(CMAKE_C_COMPILER NAMES ${triple}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${triple}-g++ REQUIRED)
find_program(AARCH64_OBJDUMP NAMES ${triple}-objdump REQUIRED)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)  # read by tests/check_fp_contract.sh

# AARCH64_QEMU_OPTIONS: options before -L (toolchain-aarch64-linux-clang.cmake
# asks for a processor).
find_program(QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static)
if(QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_AARCH64} ${AARCH64_QEMU_OPTIONS} -L /usr/${triple})
endif()

set(CMAKE_FIND_ROOT_PATH "/usr/${triple}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
