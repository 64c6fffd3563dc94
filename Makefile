# Front door. `make demo` shows the toolbox at work in GNU Octave, `make test`
# builds and runs the whole suite; `make` builds the plug-ins for every platform
# into dist/, `make octave` the native Octave functions into dist/octave/ and
# `make octave-pkg` the Octave package. Each installs the Debian packages it
# lacks first when run as root (scripts/deps.sh).
#
# The Linux plug-ins are built in $(BUILD); those of the other platforms by
# scripts/cross.sh in build-<platform>: win32, win64, aarch64 (ARM Linux, its
# tests under qemu), maci64 and maca64 (Intel and Apple-silicon macOS).
# `make` and `make test` skip a cross platform whose compilers cannot be
# installed, saying why; `make <platform>` insists.
#
# `make python` builds the Python package in place (python/bwtoolbox, with
# Debian's Python, NumPy and pybind11; `pip install --no-build-isolation .`
# installs it); `make test` also runs its pytest suite.
#
# The checking runs: `make sanitize` (the suite under ASan+UBSan), `make fuzz`
# (every fuzz target for FUZZ_SECONDS seconds), `make memcheck` (the suite
# under valgrind).
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
DEMO_OUT ?= demo_output
OCTAVE_CLI ?= octave-cli
PLATFORMS = win32 win64 aarch64 maci64 maca64
# The sanitized build (clang), with its own plug-in folder.
SAN_BUILD ?= build-sanitize
FUZZ_SECONDS ?= 60

.PHONY: all mex cross $(PLATFORMS) test bench octave octave-pkg demo clean configure \
        sanitize-configure sanitize fuzz fuzz-corpus memcheck python

all: mex cross

# DEPS: further package groups of scripts/deps.sh the goal needs.
configure:
	@scripts/deps.sh build test $(DEPS)
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

mex: configure
	cmake --build $(BUILD) -j $(JOBS) --target mex

cross:
	@JOBS=$(JOBS) scripts/cross.sh --optional build $(PLATFORMS)

$(PLATFORMS):
	@JOBS=$(JOBS) scripts/cross.sh build $@

# bench: walshSpectrum's tests compare with the signal package's fwht;
# parallel: Dask for the Python tests, Octave's parallel package for parcellfun.
test: DEPS = octave bench parallel
test: configure
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@JOBS=$(JOBS) scripts/cross.sh --optional test $(PLATFORMS)
	@JOBS=$(JOBS) scripts/python.sh --optional test $(BUILD)

# Each kernel against its baseline; prints the ratio tables at the end. Then
# the functions as Octave users call them, against what they would write
# instead (bench/bench_host.m): a table, and the plot BENCH_PLOT.
# BENCH_QUICK=1 runs everything for a moment only (one short repetition per
# benchmark, small sizes in Octave and Python; exported to both): CI's check
# that the command works, with figures of no meaning.
BENCH_QUICK ?=
ifeq ($(BENCH_QUICK),1)
BENCH_FLAGS ?= --benchmark_repetitions=1 --benchmark_min_time=0.005
else
BENCH_FLAGS ?= --benchmark_repetitions=5 --benchmark_min_time=0.2
endif
BENCH_PLOT ?= $(BUILD)/bench/host_speedup.png
bench: DEPS = octave bench
bench: export BENCH_QUICK := $(BENCH_QUICK)
bench: configure
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks octave octave-mex
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b $(BENCH_FLAGS) || exit 1; done
	@echo "== bench/bench_host.m (GNU Octave)"
	$(OCTAVE_CLI) --norc --no-history --quiet \
	  --eval "addpath ('bench'); bench_host ('dist/octave', '$(BENCH_PLOT)');"
	@echo "== python/bench.py"; JOBS=$(JOBS) scripts/python.sh --optional bench

python:
	@JOBS=$(JOBS) scripts/python.sh build

octave: DEPS = octave
octave: configure
	cmake --build $(BUILD) -j $(JOBS) --target octave

octave-pkg: DEPS = octave
octave-pkg: configure
	cmake --build $(BUILD) -j $(JOBS) --target octave-pkg

demo: octave
	$(OCTAVE_CLI) --norc --no-history --quiet --no-window-system \
	  --eval "addpath ('dist/octave', 'demo'); bwdemo ('$(DEMO_OUT)');"

sanitize-configure:
	@scripts/deps.sh build test fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTOOLBOX_FUZZ=ON -DTOOLBOX_BENCH=OFF -DTOOLBOX_DIST_DIR=$(abspath $(SAN_BUILD))/dist/glnxa64 \
	  $(CMAKE_FLAGS) >/dev/null

# The whole suite, and every committed fuzz input, under ASan+UBSan.
sanitize: sanitize-configure
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS)

fuzz: sanitize-configure
	cmake --build $(SAN_BUILD) -j $(JOBS) --target fuzzers
	scripts/fuzz.sh $(SAN_BUILD) $(FUZZ_SECONDS)

# Fuzzes, then minimizes fuzz/corpus/ together with what was found.
fuzz-corpus: sanitize-configure
	cmake --build $(SAN_BUILD) -j $(JOBS) --target fuzzers
	scripts/fuzz.sh --update-corpus $(SAN_BUILD) $(FUZZ_SECONDS)

# valgrind comes first: the test host is configured for it when it is there.
memcheck:
	@scripts/deps.sh fuzz
	@$(MAKE) --no-print-directory configure
	cmake --build $(BUILD) -j $(JOBS)
	scripts/memcheck.sh $(BUILD)

# The function reference doc/reference.md, from the help texts in toolbox/;
# doc-check fails when the committed page is stale.
.PHONY: doc doc-check
doc:
	@doc/reference.sh
doc-check:
	@doc/reference.sh --check

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(PLATFORMS:%=build-%) build-win32-host build-maca64-linux build-python dist $(DEMO_OUT) \
	  python/bwtoolbox/_core*.so
