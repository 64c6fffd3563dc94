# 64-bit ARM Linux built by the compiler of the Apple-silicon bundles
# (toolchain-arm64-apple-macos.cmake): clang, generating code as it does for
# them, so that the aarch64 suite, run under qemu against the references,
# tests what that code generator makes of these sources. No Mac is needed to
# see its results bit for bit. As for the bundles:
#  - the processor is the one clang assumes for arm64-apple-macos (apple-m1,
#    ARMv8.5-A), atomics inline (macOS has no outline atomics), char signed;
#  - the optimization is CMake's Release level, -O3 (cmake/Mex.cmake keeps it
#    for this build, TOOLBOX_BUNDLE_CODEGEN);
#  - -ffp-contract=off, the warnings and the language level come from the
#    project, as in every build.
# What differs is the object format and the C library: glibc and libstdc++
# of Debian's aarch64 cross compiler, linked by lld. The plug-ins go to the
# build folder (scripts/cross.sh), never to dist/aarch64.
# scripts/cross.sh passes the compiler the maca64 build found; standalone, the
# same search as toolchain-macos.cmake finds the same one.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(triple aarch64-linux-gnu)
set(TOOLBOX_BUNDLE_CODEGEN ON)

find_program(CMAKE_C_COMPILER NAMES clang clang-14 REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES clang++ clang++-14 REQUIRED)
find_program(AARCH64_OBJDUMP NAMES ${triple}-objdump REQUIRED)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)  # read by tests/check_fp_contract.sh

set(codegen "-mcpu=apple-m1 -mno-outline-atomics -fsigned-char")
set(CMAKE_C_FLAGS_INIT "${codegen}")
set(CMAKE_CXX_FLAGS_INIT "${codegen}")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld")
endforeach()

# qemu's "max" processor has every extension apple-m1 code may use.
find_program(QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static)
if(QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${QEMU_AARCH64};-cpu;max;-L;/usr/${triple}")
endif()

set(CMAKE_FIND_ROOT_PATH "/usr/${triple}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
