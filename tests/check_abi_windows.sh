#!/usr/bin/env bash
# Checks that a built Windows plug-in looks like a MEX file the host can load:
#   check_abi_windows.sh <objdump> <file.mexw32|file.mexw64>
# a DLL of the right machine, named after its file; the gateway exported as
# mexFunction (and, for Win32, as _mexFunction: the same address) and nothing
# else; imports only from libmx.dll, libmex.dll and the system DLLs, and from
# the host DLLs only allowed host functions. A Win32 plug-in computes on the
# x87 unit: no SSE instruction anywhere, and every conversion of a double to
# an integer switches the rounding to truncation just for that instruction.
set -euo pipefail
objdump=$1
file=$2
name=$(basename "$file")
allowed_host="mxGetPr mxGetData mxGetM mxGetN mxGetNumberOfElements mxGetElementSize
mxGetScalar mxGetClassID mxIsDouble mxIsSparse mxIsComplex mxIsLogical mxIsNumeric
mxCreateDoubleMatrix_700 mxCalloc mxFree mexErrMsgTxt mexErrMsgIdAndTxt"
fail() { echo "FAIL $name: $*"; exit 1; }

case $name in
  *.mexw32) format=pei-i386 want_exports="_mexFunction mexFunction" ;;
  *.mexw64) format=pei-x86-64 want_exports="mexFunction" ;;
  *) fail "not a .mexw32 or .mexw64 file" ;;
esac

p=$("$objdump" -p "$file")
grep -q "file format $format\$" <<<"$p" || fail "not $format"
grep -qE '^[[:space:]]+DLL$' <<<"$p" || fail "not a DLL"
grep -qE "^Name[[:space:]]+[0-9a-f]+ $name\$" <<<"$p" || fail "export directory does not name $name"

# Export names and their addresses, from the export address and name tables.
exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$p" |
          sed -n 's/^[[:space:]]*\[ *[0-9]*\] \(.*\)$/\1/p' | sort | tr '\n' ' ' | sed 's/ $//')
[ "$exports" = "$want_exports" ] || fail "exports [$exports], expected [$want_exports]"
rvas=$(sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' <<<"$p" |
       awk '/Export RVA/ {print $(NF-2)}' | sort -u | wc -l)
[ "$rvas" -eq 1 ] || fail "the exported names point at $rvas different addresses"

# Imports, DLL by DLL.
imports=$(sed -n '/^The Import Tables/,/^The Export Tables/p' <<<"$p" | awk '
  /DLL Name:/ {dll = $3; print "dll " dll; next}
  dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {print dll " " $3}')
dlls=$(awk '$1 == "dll" {print $2}' <<<"$imports" | sort | tr '\n' ' ')
for lib in libmx.dll libmex.dll; do
  grep -qw "$lib" <<<"$dlls" || fail "does not import from $lib"
done
for dll in $dlls; do
  case ${dll,,} in
    libmx.dll|libmex.dll|kernel32.dll|msvcrt.dll) ;;
    *) fail "unexpected DLL $dll (libstdc++, libgcc and libwinpthread must not be needed)" ;;
  esac
done
while read -r dll sym; do
  case $dll in
    libmx.dll|libmex.dll)
      grep -qw -- "$sym" <<<"$allowed_host" || fail "imports $sym from $dll, not an allowed host function" ;;
  esac
done < <(awk '$1 != "dll"' <<<"$imports")

if [ "$format" = pei-i386 ]; then
  code=$("$objdump" -d --no-show-raw-insn "$file" | awk -F'\t' 'NF >= 2 {print $2}')
  grep -qE '%xmm|%ymm|^(cvt|movs[sd]|adds[sd]|subs[sd]|muls[sd]|divs[sd])' <<<"$code" &&
    fail "contains SSE instructions; Win32 arithmetic must stay on the x87 unit"
  grep -q '^fisttp' <<<"$code" && fail "uses fisttp (SSE3)"
  # fist/fistp must sit between two fldcw: set truncation, convert, restore.
  awk '
    /^fist/ { if (prev !~ /^fldcw/) bad = bad " " NR; pending = NR; prev = $0; next }
    pending { if ($0 !~ /^fldcw/) bad = bad " " pending; pending = 0 }
    { prev = $0 }
    END { if (bad != "") { print "conversions without a truncation bracket at instructions" bad; exit 1 } }
  ' <<<"$code" || fail "double-to-integer conversion not bracketed by control word changes"
fi
echo "ok $name"
