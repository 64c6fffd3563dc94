#!/usr/bin/env bash
# Cross builds of the plug-ins for the other platforms, each in build-<platform>:
#   scripts/cross.sh build <platform>...   the plug-ins into dist/<platform>/
#   scripts/cross.sh test <platform>...    the plug-ins and the platform's tests
# platforms: win32 (mingw-w64; the tests are i386 Linux programs that load the
# plug-ins through the test host's PE loader, built in build-win32-host and run
# under qemu-i386), win64 (mingw-w64; tests run under Wine), aarch64 (64-bit
# ARM Linux, g++-aarch64-linux-gnu; tests run under qemu-aarch64), maci64 and
# maca64 (Intel and Apple-silicon macOS, clang and lld; the test checks the
# bundles' load commands, architecture, minimum OS and exports, and on
# Apple silicon their NEON kernels; then the compiler of the maca64 bundles
# builds the aarch64 Linux suite with their code generation, in
# build-maca64-linux, run under qemu-aarch64).
#
# With --optional before the action, a platform whose compilers cannot be
# installed is reported as skipped, with the reason, instead of failing. When
# Wine or qemu cannot be installed, the tests that need them are reported as
# skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

optional=0
if [ "${1:-}" = --optional ]; then
  optional=1
  shift
fi
action=${1:?usage: scripts/cross.sh [--optional] build|test <platform>...}
shift
jobs=${JOBS:-2}

skip() {
  echo "SKIPPED $platform: $*"
  [ $optional -eq 1 ] || exit 1
}

for platform in "$@"; do
  case $platform in
    win32) toolchain=cmake/toolchain-i686-w64-mingw32.cmake groups="mingw" ;;
    win64) toolchain=cmake/toolchain-x86_64-w64-mingw32.cmake groups="mingw" ;;
    aarch64) toolchain=cmake/toolchain-aarch64-linux-gnu.cmake groups="aarch64" ;;
    maci64) toolchain=cmake/toolchain-x86_64-apple-macos.cmake groups="macos" ;;
    maca64) toolchain=cmake/toolchain-arm64-apple-macos.cmake groups="macos aarch64" ;;
    *) echo "cross.sh: unknown platform $platform" >&2; exit 2 ;;
  esac
  build=build-$platform
  echo "== $platform ($build)"
  runs=1  # whether the test programs can run
  case $platform in maci64|maca64) ;; *) [ "$action" = test ] && groups="$groups test" ;; esac
  if ! scripts/deps.sh $groups; then
    skip "the cross compilers could not be installed (scripts/deps.sh $groups)"
    continue
  fi
  if [ "$action" = test ]; then
    case $platform in
      # 64-bit Wine alone: the Win32 programs run in our own host instead.
      win64)
        scripts/deps.sh wine64 ||
          echo "Wine could not be installed: the $platform tests that run under Wine will be skipped." ;;
      aarch64)
        if ! scripts/deps.sh qemu; then
          echo "SKIPPED aarch64 tests: qemu-user could not be installed (scripts/deps.sh qemu), so the programs are built but not run"
          runs=0
        fi ;;
    esac
  fi

  tests=OFF
  [ "$action" = test ] && tests=ON
  # The Win32 build checks the plug-ins' ABI; its test programs are built
  # below as i386 Linux programs.
  wine=ON
  [ "$platform" = win32 ] && wine=OFF
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_TOOLCHAIN_FILE=$toolchain" -DTOOLBOX_TESTS=$tests -DTOOLBOX_WINE_TESTS=$wine >/dev/null
  if [ "$action" = test ]; then
    cmake --build "$build" -j "$jobs"
    [ $runs -eq 1 ] || continue
    case $platform in
      # The bundle checks print what they found (on Apple silicon, the NEON
      # kernels' instruction counts).
      maci64|maca64) (cd "$build" && ctest -V -j "$jobs" |
                        grep -E '^[0-9]+: (ok|FAIL) |tests passed|tests failed|\*\*\*') ;;
      *) (cd "$build" && ctest --output-on-failure -j "$jobs") ;;
    esac
    if [ -f "$build/wineprefix.unusable" ]; then
      echo "SKIPPED $platform tests under Wine: $(cat "$build/wineprefix.unusable")"
    fi
    if [ "$platform" = win32 ]; then
      host=build-win32-host
      echo "== win32 tests: i386 Linux programs loading dist/win32 ($host)"
      if ! scripts/deps.sh win32host; then
        echo "SKIPPED win32 tests: the Win32 suite runs as i386 Linux programs, but qemu-user or the i386 libraries could not be installed (scripts/deps.sh win32host)"
        continue
      fi
      cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-linux-gnu.cmake -DTOOLBOX_WIN32_HOST=ON >/dev/null
      cmake --build "$host" -j "$jobs"
      (cd "$host" && ctest --output-on-failure -j "$jobs")
    fi
    if [ "$platform" = maca64 ]; then
      linux=build-maca64-linux
      echo "== maca64 code generation: the aarch64 Linux suite built by the bundles' compiler ($linux)"
      if ! scripts/deps.sh test qemu; then
        echo "SKIPPED maca64 code generation tests: GoogleTest or qemu-user could not be installed (scripts/deps.sh test qemu)"
        continue
      fi
      compiler() { sed -n "s/^CMAKE_$1_COMPILER:[A-Z]*=//p" "$build/CMakeCache.txt"; }
      cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-clang.cmake \
        "-DCMAKE_C_COMPILER=$(compiler C)" "-DCMAKE_CXX_COMPILER=$(compiler CXX)" \
        -DTOOLBOX_TESTS=ON "-DTOOLBOX_DIST_DIR=$PWD/$linux/dist" >/dev/null
      "$(compiler CXX)" --version | head -1
      cmake --build "$linux" -j "$jobs"
      (cd "$linux" && ctest --output-on-failure -j "$jobs")
    fi
  else
    cmake --build "$build" -j "$jobs" --target mex
  fi
done
