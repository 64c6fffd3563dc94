#!/usr/bin/env bash
# Checks that a built Linux plug-in looks like a MEX file the host can load:
#   check_abi.sh <file.mexa64>
# soname = file name; dependencies libmx/libmex/libmat plus the C runtime only;
# only mexFunction exported, under version node MEX; imported host functions
# from the allowed list; position-independent; no RPATH or RUNPATH.
set -euo pipefail
file=$1
name=$(basename "$file")
allowed_host="mxGetPr mxGetData mxGetM mxGetN mxGetNumberOfElements mxGetElementSize
mxGetScalar mxGetClassID mxIsDouble mxIsSparse mxIsComplex mxIsLogical mxIsNumeric
mxCreateDoubleMatrix_700 mxCalloc mxFree mexErrMsgTxt mexErrMsgIdAndTxt"
fail() { echo "FAIL $name: $*"; exit 1; }

dyn=$(readelf -d -W "$file")
header=$(readelf -h -W "$file")
grep -q 'Type:.*DYN' <<<"$header" || fail "not a shared object"
grep -q "Library soname: \[$name\]" <<<"$dyn" || fail "soname is not $name"
grep -qE '\((RPATH|RUNPATH)\)' <<<"$dyn" && fail "carries an RPATH/RUNPATH"
grep -q '(TEXTREL)' <<<"$dyn" && fail "not position-independent (TEXTREL)"

needed=$(sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' <<<"$dyn" | sort | tr '\n' ' ')
for lib in libmx.so libmex.so libmat.so; do
  grep -qw "$lib" <<<"$needed" || fail "does not depend on $lib"
done
for lib in $needed; do
  case $lib in
    libmx.so|libmex.so|libmat.so|libc.so.*|libm.so.*) ;;
    *) fail "unexpected dependency $lib (libstdc++ and libgcc must be linked statically)" ;;
  esac
done

syms=$(readelf --dyn-syms -W "$file" | awk 'NR > 3 && NF >= 8')
exported=$(awk '$7 != "UND" && $5 != "LOCAL" && $8 != "MEX" {print $8}' <<<"$syms" | sort -u)
[ "$exported" = "mexFunction@@MEX" ] || fail "exports [$exported], expected only mexFunction@@MEX"

while read -r sym; do
  [ -z "$sym" ] && continue
  case $sym in
    *@GLIBC_*) continue ;;                         # C runtime
    __gmon_start__|_ITM_*|__cxa_finalize*) continue ;;  # weak runtime hooks
  esac
  grep -qw -- "$sym" <<<"$allowed_host" || fail "imports $sym, which is not an allowed host function"
done < <(awk '$7 == "UND" {print $8}' <<<"$syms")
echo "ok $name"
