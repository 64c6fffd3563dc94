#!/usr/bin/env bash
# Checks that a built macOS plug-in looks like a MEX file the host can load:
#   check_abi_macos.sh <llvm-objdump> <llvm-nm> <file> <arch> <minimum macOS>
# a Mach-O bundle for <arch> (x86_64: .mexmaci64, arm64: .mexmaca64) and the
# given minimum macOS; loads libmx, libmex and libmat from @loader_path and
# otherwise only the system library; exports only _mexFunction; imports from
# the host libraries only allowed host functions; on arm64, holds no fused
# multiply-add (which would change results in the last bit).
set -euo pipefail
objdump=$1
nm=$2
file=$3
arch=$4
min=$5
name=$(basename "$file")
allowed_host="mxGetPr mxGetData mxGetM mxGetN mxGetNumberOfElements mxGetElementSize
mxGetScalar mxGetClassID mxIsDouble mxIsSparse mxIsComplex mxIsLogical mxIsNumeric
mxCreateDoubleMatrix_700 mxCalloc mxFree mexErrMsgTxt mexErrMsgIdAndTxt"
fail() { echo "FAIL $name: $*"; exit 1; }

header=$("$objdump" --macho --private-header "$file")
cputype=$(tr '[:lower:]' '[:upper:]' <<<"$arch")
grep -qE "^ *MH_MAGIC_64 +$cputype .* BUNDLE " <<<"$header" || fail "not an $arch Mach-O bundle"

dylibs=$("$objdump" --macho --dylibs-used "$file" | sed -n 's/^[[:space:]]*\([^ ]*\) (compatibility.*/\1/p' |
         sort | tr '\n' ' ' | sed 's/ $//')
want="/usr/lib/libSystem.B.dylib @loader_path/libmat.dylib @loader_path/libmex.dylib @loader_path/libmx.dylib"
[ "$dylibs" = "$want" ] || fail "loads [$dylibs], expected [$want]"

commands=$("$objdump" --macho --private-headers "$file")
grep -q 'cmd LC_RPATH' <<<"$commands" && fail "carries an LC_RPATH"
minos=$(awk '/cmd LC_VERSION_MIN_MACOSX/ {v = 1} v && $1 == "version" {print $2; exit}
             /cmd LC_BUILD_VERSION/ {b = 1} b && $1 == "minos" {print $2; exit}' <<<"$commands")
[ "$minos" = "$min" ] || fail "minimum macOS version is ${minos:-unknown}, expected $min"

exports=$("$objdump" --macho --exports-trie "$file" | awk 'NF == 2 && $1 ~ /^0x/ {print $2}' | tr '\n' ' ')
[ "$exports" = "_mexFunction " ] || fail "exports [$exports], expected only _mexFunction"

while read -r sym lib; do
  case $lib in
    libmx|libmex) grep -qw -- "${sym#_}" <<<"$allowed_host" ||
                    fail "imports $sym from $lib, not an allowed host function" ;;
    libSystem) ;;
    *) fail "imports $sym from $lib" ;;
  esac
done < <("$nm" -m -u "$file" | sed -n 's/.*external \([^ ]*\) (from \([^)]*\))$/\1 \2/p')
neon=""
if [ "$arch" = arm64 ]; then
  "$objdump" -d "$file" | grep -qE $'\t(fn?madd|fn?msub|fmla|fmls)(\.[0-9a-z]+)?\t' &&
    fail "holds a fused multiply-add"
  # The NEON kernels (functions in, or local to, namespace
  # <subsystem>::kernels::neon: mangled _ZN<n><subsystem>7kernels4neon or
  # _ZZN...) are in the bundle, and their code is vector code: instructions on
  # lane arrangements (fadd.2d, ext.16b, ...) or on whole q registers.
  syms=$("$nm" "$file" | awk '$2 ~ /^[tT]$/ {print $3}' | grep -E '^_?_ZZ?N[0-9]+[a-z]+7kernels4neon' || true)
  [ -n "$syms" ] || fail "holds no NEON kernel"
  code=$("$objdump" -d --no-show-raw-insn --disassemble-symbols="$(paste -sd, - <<<"$syms")" "$file")
  vector=$(grep -cE $'\t[a-z0-9]+\.(16b|8b|8h|4h|4s|2s|2d|1d)\t|\tq[0-9]+, ' <<<"$code" || true)
  doubles=$(grep -cE $'\t(fadd|fsub|fmul)\.2d\t' <<<"$code" || true)
  [ "$vector" -gt 0 ] || fail "its NEON kernels hold no vector instruction"
  neon=": $(wc -l <<<"$syms") NEON kernel functions, $vector vector instructions, $doubles two-lane double additions, subtractions and multiplications"
fi
echo "ok $name$neon"
