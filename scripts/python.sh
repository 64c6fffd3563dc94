#!/usr/bin/env bash
# The Python package bwtoolbox (python/), built in place from the repository:
#   scripts/python.sh build              compiles bwtoolbox._core into python/bwtoolbox/
#   scripts/python.sh test <build dir>   builds, then runs the pytest suite, comparing
#                                        with the plug-ins in dist/glnxa64 through
#                                        Octave and the host adapter of <build dir>
#   scripts/python.sh bench              builds, then runs python/bench.py
# test and bench also install Dask (scripts/deps.sh parallel) where they can.
#   scripts/python.sh --optional ...     the same, but says SKIPPED and succeeds when
#                                        the Debian packages cannot be installed
# The interpreter is the first of $PYTHON, /usr/bin/python3 and python3 that
# imports NumPy: a version manager's python3 shim often does not see Debian's
# python3-numpy. It is named in the output.
set -euo pipefail
cd "$(dirname "$0")/.."

optional=0
if [ "${1:-}" = --optional ]; then optional=1; shift; fi
mode=${1:?usage: scripts/python.sh [--optional] build|test|bench [build dir]}

if ! deps=$(scripts/deps.sh python 2>&1); then
  echo "$deps" >&2
  if [ $optional -eq 1 ]; then
    echo "SKIPPED python tests: the Debian packages of scripts/deps.sh python could not be installed"
    exit 0
  fi
  exit 1
fi
[ -n "$deps" ] && echo "$deps"
# Dask for bwtoolbox.dask: its tests and benchmark say SKIPPED without it.
if [ "$mode" != build ]; then
  if deps=$(scripts/deps.sh parallel 2>&1); then
    [ -n "$deps" ] && echo "$deps"
  else
    echo "$deps" >&2
    echo "scripts/python.sh: Dask is not installed; its tests and benchmark will be skipped" >&2
  fi
fi

py=""
for candidate in ${PYTHON:-} /usr/bin/python3 python3; do
  if command -v "$candidate" >/dev/null 2>&1 &&
     "$candidate" -c "import numpy, setuptools" >/dev/null 2>&1; then
    py=$(command -v "$candidate")
    break
  fi
done
if [ -z "$py" ]; then
  echo "scripts/python.sh: no Python with NumPy and setuptools (tried ${PYTHON:-} /usr/bin/python3 python3)" >&2
  exit 1
fi
echo "python: $py ($("$py" -c 'import sys, numpy; print("Python", sys.version.split()[0] + ", NumPy", numpy.__version__)'))"

# setup.py compiles one file at a time unless told otherwise.
"$py" setup.py -q build_ext --inplace -j "${JOBS:-2}" 2>&1 | { grep -v -e "^running" -e "_BetaConfiguration\|warnings.warn" || true; }

case "$mode" in
  build) ;;
  test)
    build=${2:?scripts/python.sh test needs the CMake build folder}
    case "$build" in /*) ;; *) build="$PWD/$build" ;; esac
    BWTOOLBOX_PLUGINS="$PWD/dist/glnxa64" BWTOOLBOX_OCTAVE_ADAPTER="$build/host/octave/lib" \
      PYTHONPATH="$PWD/python" "$py" -m pytest -q -rs -p no:cacheprovider --doctest-modules \
      python/tests python/bwtoolbox/__init__.py ;;
  bench)
    PYTHONPATH="$PWD/python" "$py" python/bench.py ;;
  *) echo "scripts/python.sh: unknown mode $mode" >&2; exit 2 ;;
esac
