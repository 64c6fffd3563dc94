#!/usr/bin/env bash
# Makes sure the Debian packages a make target needs are present:
#   scripts/deps.sh <group>...
# groups: build, test (the Linux build), octave (GNU Octave and mkoctfile),
# mingw (Windows cross compilers), wine64 (runs the Win64 tests), wine32 (32-bit
# Wine; needs the i386 architecture; no test needs it), wine (both), windows
# (mingw and wine), win32host (the i386 Linux programs that run the Win32 tests
# under qemu-i386), macos (clang and lld
# for the macOS bundles; maca64 also needs the aarch64 group's headers),
# aarch64 (64-bit ARM Linux cross compiler), qemu (runs the aarch64 tests),
# bench (the Octave packages the host benchmark and the fwht agreement test
# compare with, gnuplot and a font for the plot), fuzz (clang, libFuzzer, the
# sanitizer runtimes and valgrind for make sanitize, make fuzz and make
# memcheck), python (the Python package: headers, NumPy, pybind11, pytest, pip
# and setuptools), parallel (Dask and dask.distributed for bwtoolbox.dask,
# Octave's parallel package for parcellfun; optional, their tests skip without).
# Missing packages are installed when running as root (saying so); otherwise
# the script names them and fails.
set -euo pipefail

declare -A groups=(
  [build]="cmake ninja-build g++ make"
  [test]="libgtest-dev googletest libbenchmark-dev binutils"
  # GNU Octave (with GraphicsMagick, for PNG output) and mkoctfile.
  [octave]="octave liboctave-dev"
  # make bench: fwht (signal), im2col/col2im (image); gnuplot draws the plot
  # without a display, FreeFont is the font Octave's text renderer looks for.
  [bench]="octave-signal octave-image gnuplot-nox fonts-freefont-otf"
  [mingw]="g++-mingw-w64-i686 g++-mingw-w64-x86-64"
  [wine64]="wine wine64"
  [wine32]="wine32:i386"
  [wine]="wine wine64 wine32:i386"
  [windows]="g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386"
  # gcc -m32 without gcc-multilib, which would remove the aarch64 cross
  # compiler; GoogleTest is built from its sources (test group).
  [win32host]="qemu-user libc6-dev-i386 lib32gcc-12-dev lib32stdc++-12-dev"
  [macos]="clang lld llvm"
  [aarch64]="g++-aarch64-linux-gnu binutils-aarch64-linux-gnu"
  [qemu]="qemu-user"
  # make sanitize, make fuzz (clang with libFuzzer and the sanitizer runtimes;
  # llvm for symbolized reports) and make memcheck (valgrind)
  [fuzz]="clang libclang-rt-14-dev llvm valgrind"
  # make python, and the pytest suite of make test
  [python]="python3-dev python3-numpy pybind11-dev python3-pytest python3-pip python3-setuptools python3-venv"
  # bwtoolbox.dask and its tests on a LocalCluster; parcellfun in Octave
  [parallel]="python3-dask python3-distributed octave-parallel"
)

want=()
for g in "$@"; do
  [ -n "${groups[$g]+x}" ] || { echo "deps.sh: unknown group $g" >&2; exit 2; }
  for p in ${groups[$g]}; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || want+=("$p")
  done
done
[ ${#want[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages: ${want[*]}" >&2
  echo "Install them with: sudo apt-get install ${want[*]}" >&2
  exit 1
fi
echo "Installing missing Debian packages: ${want[*]}"
export DEBIAN_FRONTEND=noninteractive
added=()
for p in "${want[@]}"; do
  arch=${p#*:}
  if [ "$arch" != "$p" ] && [ "$arch" != "$(dpkg --print-architecture)" ] &&
     ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    echo "Adding the $arch architecture to dpkg"
    dpkg --add-architecture "$arch"
    added+=("$arch")
  fi
done
# A Debian mirror caught mid-sync serves index files whose size does not match
# its Release file, and apt-get fails for a few minutes; so the update and the
# install are tried again after a pause, four times in all. An update that
# reports failures leaves the lists it could fetch, which often hold every
# package wanted: the install decides.
install() {
  apt-get update -qq || echo "deps.sh: apt-get update reported failures; installing from the lists it fetched" >&2
  apt-get install -y -qq --no-install-recommends "${want[@]}" >/dev/null
}
installed=0
for try in 1 2 3 4; do
  if install; then installed=1; break; fi
  [ "$try" -lt 4 ] || break
  echo "deps.sh: the install failed (try $try of 4); trying again in $((try * 20)) s" >&2
  sleep $((try * 20))
done
if [ $installed -eq 0 ]; then
  # An architecture the mirror cannot serve would break every later apt run.
  for arch in "${added[@]}"; do
    echo "Removing the $arch architecture again"
    dpkg --remove-architecture "$arch" || true
  done
  echo "deps.sh: could not install ${want[*]}" >&2
  exit 1
fi
