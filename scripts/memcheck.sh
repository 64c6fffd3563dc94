#!/usr/bin/env bash
# Runs every test program of a build under valgrind's memcheck:
#   scripts/memcheck.sh <build dir>
# The programs are those listed in <build dir>/test_programs.txt. Any invalid
# read or write, use of an undefined value (mxCalloc blocks count as
# undefined under valgrind), or definite leak fails the run. Death tests are
# left out: they rely on faults that valgrind reports as errors of its own.
set -euo pipefail
build=${1:?usage: scripts/memcheck.sh <build dir>}
list="$build/test_programs.txt"
[ -s "$list" ] || { echo "memcheck: $list is missing; build first" >&2; exit 2; }

failed=0
while read -r program; do
  [ -n "$program" ] || continue
  name=$(basename "$program")
  start=$SECONDS
  if valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
       --errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect \
       --track-origins=yes --quiet \
       "$program" --gtest_filter='-*DeathTest*' --gtest_brief=1 >"$build/memcheck-$name.log" 2>&1; then
    echo "memcheck $name: clean ($((SECONDS - start)) s)"
  else
    echo "memcheck $name: FAILED ($((SECONDS - start)) s)"
    tail -80 "$build/memcheck-$name.log"
    failed=1
  fi
done <"$list"
exit "$failed"
