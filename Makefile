# Front door. `make` builds the plug-ins into dist/, `make test` builds and runs
# the whole suite. Both install missing Debian packages first when run as root.
# The checking runs: `make sanitize` (the suite under ASan+UBSan), `make fuzz`
# (every fuzz target for FUZZ_SECONDS seconds), `make memcheck` (the suite
# under valgrind).
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
# The sanitized build (clang), with its own plug-in folder.
SAN_BUILD ?= build-sanitize
FUZZ_SECONDS ?= 60

.PHONY: all mex test bench clean configure sanitize-configure sanitize fuzz fuzz-corpus memcheck

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

sanitize-configure:
	@scripts/deps.sh build test fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTOOLBOX_FUZZ=ON -DTOOLBOX_BENCH=OFF -DTOOLBOX_DIST_DIR=$(abspath $(SAN_BUILD))/dist/glnxa64 \
	  $(CMAKE_FLAGS) >/dev/null

# The whole suite, and every committed fuzz input, under ASan+UBSan.
sanitize: sanitize-configure
	cmake --build $(SAN_BUILD)
	cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS)

fuzz: sanitize-configure
	cmake --build $(SAN_BUILD) --target fuzzers
	scripts/fuzz.sh $(SAN_BUILD) $(FUZZ_SECONDS)

# Fuzzes, then minimizes fuzz/corpus/ together with what was found.
fuzz-corpus: sanitize-configure
	cmake --build $(SAN_BUILD) --target fuzzers
	scripts/fuzz.sh --update-corpus $(SAN_BUILD) $(FUZZ_SECONDS)

# valgrind comes first: the test host is configured for it when it is there.
memcheck:
	@scripts/deps.sh fuzz
	@$(MAKE) --no-print-directory configure
	cmake --build $(BUILD)
	scripts/memcheck.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(SAN_BUILD) dist
