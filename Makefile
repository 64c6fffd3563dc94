# Front door. `make` builds the plug-ins into dist/, `make test` builds and runs
# the whole suite. Both install missing Debian packages first when run as root.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all mex test bench clean configure

all: mex

configure:
	@scripts/deps.sh build test
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

mex: configure
	cmake --build $(BUILD) --target mex

test: configure
	cmake --build $(BUILD)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Each kernel against its baseline; prints the ratio tables at the end.
BENCH_FLAGS ?= --benchmark_repetitions=3 --benchmark_min_time=0.2
bench: configure
	cmake --build $(BUILD) --target benchmarks
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b $(BENCH_FLAGS) || exit 1; done

clean:
	rm -rf $(BUILD) dist
