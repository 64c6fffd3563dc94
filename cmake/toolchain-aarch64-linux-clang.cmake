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
set(TOOLBOX_BUNDLE_CODEGEN ON)
find_program(CMAKE_C_COMPILER NAMES clang clang-14 REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES clang++ clang++-14 REQUIRED)
set(CMAKE_C_COMPILER_TARGET aarch64-linux-gnu)
set(CMAKE_CXX_COMPILER_TARGET aarch64-linux-gnu)

set(codegen "-mcpu=apple-m1 -mno-outline-atomics -fsigned-char")
set(CMAKE_C_FLAGS_INIT "${codegen}")
set(CMAKE_CXX_FLAGS_INIT "${codegen}")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld")
endforeach()

# qemu's "max" processor has every extension apple-m1 code may use.
set(AARCH64_QEMU_OPTIONS -cpu max)
# The rest (objdump, qemu, the cross compiler's sysroot) as for the g++ build,
# whose compiler search finds the compilers above already chosen.
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-aarch64-linux-gnu.cmake")
