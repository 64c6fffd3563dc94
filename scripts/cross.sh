#!/usr/bin/env bash
# Cross builds of the plug-ins for the other platforms, each in build-<platform>:
#   scripts/cross.sh build <platform>...   the plug-ins into dist/<platform>/
#   scripts/cross.sh test <platform>...    the plug-ins and the platform's tests
# platforms: win32, win64 (mingw-w64; tests run under Wine) and maci64 (clang
# and lld; the test checks the bundle's load commands and exports).
#
# With --optional before the action, a platform whose compilers cannot be
# installed is reported as skipped, with the reason, instead of failing. When
# Wine cannot be installed, the Windows tests report themselves as skipped.
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
    maci64) toolchain=cmake/toolchain-x86_64-apple-macos.cmake groups="macos" ;;
    *) echo "cross.sh: unknown platform $platform" >&2; exit 2 ;;
  esac
  build=build-$platform
  echo "== $platform ($build)"
  [ "$action" = test ] && [ "$platform" != maci64 ] && groups="$groups test"
  if ! scripts/deps.sh $groups; then
    skip "the cross compilers could not be installed (scripts/deps.sh $groups)"
    continue
  fi
  if [ "$action" = test ] && [ "$platform" != maci64 ] && ! scripts/deps.sh wine; then
    echo "Wine could not be installed: the $platform tests that run under Wine will be skipped."
  fi

  tests=OFF
  [ "$action" = test ] && tests=ON
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_TOOLCHAIN_FILE=$toolchain" -DTOOLBOX_TESTS=$tests >/dev/null
  if [ "$action" = test ]; then
    cmake --build "$build" -j "$jobs"
    (cd "$build" && ctest --output-on-failure -j "$jobs")
    if [ -f "$build/wineprefix.unusable" ]; then
      echo "SKIPPED $platform tests under Wine: $(cat "$build/wineprefix.unusable")"
    fi
  else
    cmake --build "$build" -j "$jobs" --target mex
  fi
done
