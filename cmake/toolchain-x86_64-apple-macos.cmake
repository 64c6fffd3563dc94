# 64-bit Intel macOS (.mexmaci64), cross-built on Debian with clang and lld's
# Mach-O linker, without the macOS SDK:
#  - the C and C++ headers are the build machine's (glibc, libstdc++); the few
#    C library functions the kernels call have the same declarations and ABI on
#    macOS, and nothing of libstdc++ is linked;
#  - libSystem and libc++ are text stubs of our own (host/macos/cross), so a
#    call into anything else fails the link.
# On a Mac, configure natively with Xcode's clang instead; no toolchain file.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_OSX_ARCHITECTURES x86_64)
set(CMAKE_OSX_DEPLOYMENT_TARGET 10.13)
set(macos_target x86_64-apple-macos10.13)

find_program(CMAKE_C_COMPILER NAMES clang clang-14 REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES clang++ clang++-14 REQUIRED)
find_program(MACOS_LD NAMES ld64.lld ld64.lld-14 REQUIRED
             HINTS /usr/lib/llvm-14/bin)
set(CMAKE_C_COMPILER_TARGET ${macos_target})
set(CMAKE_CXX_COMPILER_TARGET ${macos_target})

# The newest libstdc++ headers of the build machine.
file(GLOB cxx_versions LIST_DIRECTORIES true /usr/include/c++/*)
list(SORT cxx_versions COMPARE NATURAL ORDER DESCENDING)
list(GET cxx_versions 0 cxx_dir)
get_filename_component(cxx_version "${cxx_dir}" NAME)
set(multiarch /usr/include/x86_64-linux-gnu)
# clang predefines __nonnull and __nullable for Apple targets; glibc uses them
# as its own attribute macros.
set(headers "-Wno-unused-command-line-argument -nostdinc++ -U__nonnull -U__nullable -isystem ${cxx_dir} -isystem ${multiarch}/c++/${cxx_version} -idirafter ${multiarch} -idirafter /usr/include")
set(CMAKE_C_FLAGS_INIT "-U__nonnull -U__nullable -idirafter ${multiarch} -idirafter /usr/include")
set(CMAKE_CXX_FLAGS_INIT "${headers}")

set(stubs "${CMAKE_CURRENT_LIST_DIR}/../host/macos/cross")
set(link "-fuse-ld=lld --ld-path=${MACOS_LD} -mlinker-version=711 -stdlib=libc++ -L${stubs}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${link}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${link}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${link}")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
