# Shared part of the macOS cross toolchains (toolchain-x86_64-apple-macos.cmake
# for Intel, .mexmaci64; toolchain-arm64-apple-macos.cmake for Apple silicon,
# .mexmaca64), included after they set MACOS_ARCH, MACOS_MIN and
# the header folders. The bundles are cross-built on Debian with clang and lld's
# Mach-O linker, without the macOS SDK:
#  - the C and C++ headers are Debian's for the same processor (glibc,
#    libstdc++; for arm64 those of the aarch64 cross compiler); the few
#    C library functions the kernels call have the same declarations and ABI on
#    macOS, and nothing of libstdc++ is linked;
#  - libSystem and libc++ are text stubs of our own (host/macos/cross), so a
#    call into anything else fails the link.
# On a Mac, configure natively with Xcode's clang instead; no toolchain file.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR ${MACOS_ARCH})
set(CMAKE_OSX_ARCHITECTURES ${MACOS_ARCH})
set(CMAKE_OSX_DEPLOYMENT_TARGET ${MACOS_MIN})
set(macos_target ${MACOS_ARCH}-apple-macos${MACOS_MIN})

find_program(CMAKE_C_COMPILER NAMES clang clang-14 REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES clang++ clang++-14 REQUIRED)
find_program(MACOS_LD NAMES ld64.lld ld64.lld-14 REQUIRED
             HINTS /usr/lib/llvm-14/bin)
set(CMAKE_C_COMPILER_TARGET ${macos_target})
set(CMAKE_CXX_COMPILER_TARGET ${macos_target})

# The newest libstdc++ headers for the processor: MACOS_CXX_ROOT holds one
# folder per version, MACOS_CXX_ARCH is the processor-specific folder with
# VERSION in place of the version. MACOS_C_INCLUDE lists glibc's header
# folders for the processor, searched in that order.
file(GLOB cxx_versions LIST_DIRECTORIES true "${MACOS_CXX_ROOT}/*")
if(NOT cxx_versions)
  message(FATAL_ERROR "no libstdc++ headers for ${MACOS_ARCH} in ${MACOS_CXX_ROOT}")
endif()
list(SORT cxx_versions COMPARE NATURAL ORDER DESCENDING)
list(GET cxx_versions 0 cxx_dir)
get_filename_component(cxx_version "${cxx_dir}" NAME)
string(REPLACE VERSION "${cxx_version}" cxx_arch "${MACOS_CXX_ARCH}")
# -nostdlibinc: for an Apple target clang would search /usr/include, the
# build machine's own headers, before those given here (where the i386
# libraries are installed, /usr/include/bits is x86's, which makes an arm64
# build 32-bit in glibc's eyes). Only the compiler's own headers stay.
# clang predefines __nonnull and __nullable for Apple targets; glibc uses them
# as its own attribute macros.
# glibc's int64_t and uint64_t are long where macOS has long long: the two
# headers in host/macos/cross/include declare them as macOS does, so that C++
# names match the target's and clang can mangle arm_neon.h's vector types
# (built on long, they crash it for an Apple target).
set(stubs "${CMAKE_CURRENT_LIST_DIR}/../host/macos/cross")
set(c_headers "-nostdlibinc -U__nonnull -U__nullable -isystem ${stubs}/include")
foreach(dir ${MACOS_C_INCLUDE})
  string(APPEND c_headers " -idirafter ${dir}")
endforeach()
set(headers "-Wno-unused-command-line-argument -nostdinc++ -isystem ${cxx_dir} -isystem ${cxx_arch} ${c_headers}")
set(CMAKE_C_FLAGS_INIT "${c_headers}")
set(CMAKE_CXX_FLAGS_INIT "${headers}")

set(link "-fuse-ld=lld --ld-path=${MACOS_LD} -mlinker-version=711 -stdlib=libc++ -L${stubs}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${link}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${link}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${link}")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
