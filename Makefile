# Front door. `make` builds the plug-ins into dist/, `make test` builds and runs
# the whole suite. Both install missing Debian packages first when run as root.
#
# The Linux plug-ins are built in $(BUILD); the Windows and macOS ones by
# scripts/cross.sh in build-win32, build-win64 and build-maci64. `make` and
# `make test` skip a cross platform whose compilers cannot be installed, saying
# why; `make win32`, `make win64` and `make maci64` insist.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
PLATFORMS = win32 win64 maci64

.PHONY: all mex cross $(PLATFORMS) test clean configure

all: mex cross

configure:
	@scripts/deps.sh build test
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

mex: configure
	cmake --build $(BUILD) --target mex

cross:
	@JOBS=$(JOBS) scripts/cross.sh --optional build $(PLATFORMS)

$(PLATFORMS):
	@JOBS=$(JOBS) scripts/cross.sh build $@

test: configure
	cmake --build $(BUILD)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@JOBS=$(JOBS) scripts/cross.sh --optional test $(PLATFORMS)

clean:
	rm -rf $(BUILD) $(PLATFORMS:%=build-%) dist
