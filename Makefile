# Front door. `make demo` shows the toolbox at work in GNU Octave, `make test`
# builds and runs the whole suite; `make` builds the MATLAB plug-ins into
# dist/glnxa64/, `make octave` the native Octave ones into dist/octave/ and
# `make octave-pkg` the Octave package. Each installs the Debian packages it
# lacks first when run as root (scripts/deps.sh).
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
DEMO_OUT ?= demo_output
OCTAVE_CLI ?= octave-cli

.PHONY: all mex test bench octave octave-pkg demo clean configure

all: mex

# DEPS: further package groups of scripts/deps.sh the goal needs.
configure:
	@scripts/deps.sh build test $(DEPS)
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

mex: configure
	cmake --build $(BUILD) -j $(JOBS) --target mex

test: DEPS = octave
test: configure
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Each kernel against its baseline; prints the ratio tables at the end.
BENCH_FLAGS ?= --benchmark_repetitions=3 --benchmark_min_time=0.2
bench: configure
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b $(BENCH_FLAGS) || exit 1; done

octave: DEPS = octave
octave: configure
	cmake --build $(BUILD) -j $(JOBS) --target octave

octave-pkg: DEPS = octave
octave-pkg: configure
	cmake --build $(BUILD) -j $(JOBS) --target octave-pkg

demo: octave
	$(OCTAVE_CLI) --norc --no-history --quiet --no-window-system \
	  --eval "addpath ('dist/octave', 'demo'); bwdemo ('$(DEMO_OUT)');"

clean:
	rm -rf $(BUILD) dist $(DEMO_OUT)
