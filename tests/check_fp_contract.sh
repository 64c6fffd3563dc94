#!/usr/bin/env bash
# Checks that the aarch64 build compiles the kernels the way the Octave
# package, `make octave` and build_mex compile them on an ARM machine, and that
# no multiply was fused with an add:
#   check_fp_contract.sh <source root> <compile_commands.json> <objdump> <file>...
# 1. Every compiler flag those three build paths pass (octave/make_pkg.cmake's
#    Makefile, octave/CMakeLists.txt, toolbox/build_mex.m) is on the command
#    line of every kernel source in compile_commands.json, with no other -O.
# 2. The disassembly of the given objects and plug-ins holds no fused
#    multiply-add or multiply-subtract (scalar fmadd/fmsub/fnmadd/fnmsub,
#    vector fmla/fmls), which would change results in the last bit.
set -euo pipefail
root=$1 commands=$2 objdump=$3
shift 3
fail() { echo "FAIL: $*"; exit 1; }

pkg=$(sed -n 's/^CXXFLAGS ?= \(.*\)/\1/p; s/^override CXXFLAGS += \(.*\)/\1/p' "$root/octave/make_pkg.cmake")
native=$(sed -n 's/^set(mkoctfile_flags "\(.*\)")/\1/p' "$root/octave/CMakeLists.txt")
mex=$(sed -n "s/.*setenv ('CXXFLAGS', \[base '\([^']*\)'\]).*/\1/p; s/.*flags = 'CXXFLAGS=\\\$CXXFLAGS \([^']*\)';.*/\1/p" \
      "$root/toolbox/build_mex.m")
for path in "make_pkg.cmake:$pkg" "octave/CMakeLists.txt:$native" "build_mex.m:$mex"; do
  grep -q -- '-ffp-contract=off' <<<"${path#*:}" || fail "${path%%:*} does not pass -ffp-contract=off"
done
[ "$(grep -c -- '-ffp-contract=off' <<<"$mex")" -ge 2 ] ||
  fail "build_mex.m passes -ffp-contract=off to only one of Octave's and MATLAB's mex"
wanted=$(tr ' ' '\n' <<<"$pkg $native $mex" | sort -u | grep .)

kernels=$(grep -oE '"file": *"[^"]*/(blocks|energy|walsh)/[^"]*\.cpp"' "$commands" | sed 's/.*: *"//; s/"$//')
[ -n "$kernels" ] || fail "no kernel sources in $commands"
for src in $kernels; do
  line=$(grep -B3 -A3 -F "\"file\": \"$src\"" "$commands" | grep -m1 '"command"')
  for flag in $wanted; do
    grep -qwF -- "$flag" <<<"$line" || fail "$(basename "$src") is compiled without $flag"
  done
  others=$(grep -oE ' -O[0-9s]?( |$)' <<<"$line" | tr -d ' ' | grep -v -- '^-O2$' || true)
  [ -z "$others" ] || fail "$(basename "$src") is compiled with $others besides -O2"
done
echo "ok: $(wc -w <<<"$kernels") kernel sources compiled with:" $wanted

for file in "$@"; do
  fused=$("$objdump" -d "$file" | grep -E $'\t(fn?madd|fn?msub|fmla|fmls)(\.[0-9a-z]+)?\t' || true)
  [ -z "$fused" ] || fail "fused multiply-add in $(basename "$file"):"$'\n'"$(head -5 <<<"$fused")"
done
echo "ok: no fused multiply-add in $#" files
