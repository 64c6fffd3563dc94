#!/usr/bin/env bash
# Builds the Octave package's functions as `pkg install` does on a machine of
# another processor: the package's own src/Makefile, run by mkoctfile with the
# cross compiler as CXX (mkoctfile takes CXX from the environment). Checks that
# every plug-in is built for that processor and holds no fused multiply-add.
#   check_package_cross.sh <source root> <scratch folder> <mkoctfile> <c++> <objdump> <arch>
set -euo pipefail
root=$1 work=$2 mkoctfile=$3 cxx=$4 objdump=$5 arch=$6
rm -rf "$work"
cmake -DROOT="$root" -DSTAGE="$work/stage" -DTARBALL="$work/bwtoolbox.tar.gz" \
      -P "$root/octave/make_pkg.cmake"
src=$work/stage/bwtoolbox/src
# The linker looks into the build machine's library folder mkoctfile names
# and skips what it finds there: that notice is not news.
CXX=$cxx make -s -C "$src" MKOCTFILE="$mkoctfile" 2>&1 | { grep -v 'skipping incompatible' || true; }
count=0
for name in $(sed 's/#.*//' "$root/plugins.txt" | awk 'NF { print $1 }'); do
  f=$src/$name.oct
  [ -f "$f" ] || { echo "FAIL: $name.oct was not built"; exit 1; }
  "$objdump" -f "$f" | grep -q "architecture: $arch" || { echo "FAIL: $name.oct is not for $arch"; exit 1; }
  if "$objdump" -d "$f" | grep -qE $'\t(fn?madd|fn?msub|fmla|fmls)(\.[0-9a-z]+)?\t'; then
    echo "FAIL: fused multiply-add in $name.oct"; exit 1
  fi
  count=$((count + 1))
done
echo "ok: the package's $count plug-ins build for $arch with mkoctfile"
