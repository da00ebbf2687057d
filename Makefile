# The targets wrap the CMake presets; each first installs what it needs (as root).
# make demo | test | test-asan | build | clean
JOBS ?= $(shell nproc)

.PHONY: all build demo test test-asan clean

all: build

build:
	@scripts/ensure-packages.sh native
	cmake --preset native
	cmake --build --preset native -j $(JOBS)

demo: build
	scripts/demo.sh build/native/bin

test: build
	ctest --preset native -j $(JOBS)

test-asan:
	@scripts/ensure-packages.sh asan
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

clean:
	rm -rf build
