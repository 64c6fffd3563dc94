#!/usr/bin/env bash
# Runs every fuzz target for a fixed time and reports what it did:
#   scripts/fuzz.sh [--update-corpus] <sanitized build dir> [seconds per target]
# Each target starts from its committed corpus, fuzz/corpus/<target>, which is
# only read; new inputs and any crash input go to a temporary folder, kept and
# named when something is found. Exits non-zero on any finding (crash, failed
# check, sanitizer report, leak, timeout, out of memory).
# --update-corpus afterwards minimizes the committed corpus together with the
# new inputs (libFuzzer -merge=1) and replaces it, keeping the inputs of past
# findings (regression-*) as they are.
set -euo pipefail

update=0
if [ "${1:-}" = "--update-corpus" ]; then update=1; shift; fi
build=${1:?usage: scripts/fuzz.sh [--update-corpus] <build dir> [seconds]}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
targets="imgToBlocks blocksToImg seqSpectrum walshOrdered cyclicEnergy"
work=$(mktemp -d -t bwtoolbox-fuzz.XXXXXX)

failed=0
printf '%-13s %12s %9s %12s %15s  %s\n' target executions "exec/s" compared "errors checked" result
for t in $targets; do
  dir="$work/$t"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  rc=0
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$dir/artifacts/" \
    "$dir/corpus" "$root/fuzz/corpus/$t" >"$dir/log" 2>&1 || rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log" | tail -1)
  compared=$(sed -n 's/^calls: \([0-9]*\) results compared.*/\1/p' "$dir/log" | tail -1)
  refused=$(sed -n 's/^calls: .*, \([0-9]*\) errors checked.*/\1/p' "$dir/log" | tail -1)
  result="no finding"
  if [ "$rc" -ne 0 ]; then
    result="FINDING (exit $rc)"
    failed=1
  fi
  printf '%-13s %12s %9s %12s %15s  %s\n' "$t" "${runs:-?}" "${rate:-?}" "${compared:-?}" \
    "${refused:-?}" "$result"
  if [ "$rc" -ne 0 ]; then
    echo "---- $t: end of the log ($dir/log)"
    grep -v -e '^#[0-9]' -e '# Uses:' "$dir/log" | tail -60
    echo "---- reproduce with: $build/fuzz/fuzz_$t $dir/artifacts/<file>"
  fi
done

if [ "$update" -eq 1 ] && [ "$failed" -eq 0 ]; then
  for t in $targets; do
    fresh="$work/$t/merged"
    mkdir -p "$fresh"
    "$build/fuzz/fuzz_$t" -merge=1 -max_len=4096 "$fresh" "$root/fuzz/corpus/$t" \
      "$work/$t/corpus" >"$work/$t/merge.log" 2>&1
    find "$root/fuzz/corpus/$t" -type f ! -name 'regression-*' -delete
    mkdir -p "$root/fuzz/corpus/$t"
    cp "$fresh"/* "$root/fuzz/corpus/$t/"
    echo "corpus $t: $(ls "$root/fuzz/corpus/$t" | wc -l) files"
  done
fi

if [ "$failed" -ne 0 ]; then
  echo "fuzzing found problems; inputs and logs kept in $work"
  exit 1
fi
rm -rf "$work"
