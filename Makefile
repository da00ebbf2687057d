# The targets wrap the CMake presets; each first installs what it needs (as root). Every
# check is a CTest test of its preset's build folder.
# make demo | test | test-asan | fuzz | bench | win32 | test-win32 | limits-win32 | build | clean
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all build demo test test-asan fuzz bench win32 test-win32 limits-win32 clean

all: build

build:
	@scripts/ensure-packages.sh native
	cmake --preset native
	cmake --build --preset native -j $(JOBS)

demo: build
	scripts/demo.sh build/native/bin

test: build
	ctest --preset native -j $(JOBS)

# The sanitizer builds take native's SQLite library and shell (SQLite is never
# instrumented): build first.
test-asan: build
	@scripts/ensure-packages.sh asan
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# The performance run: module, floor and peers side by side; writes docs/performance*.
bench: build
	@scripts/ensure-packages.sh bench
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	build/bench/bin/kiv_micro_bench --benchmark_min_time=0.5 | tee build/micro_bench.txt
	bench/run_bench.py build/bench/bin

# Every libFuzzer target for FUZZ_SECONDS each, a test each; any finding fails.
fuzz: build
	@scripts/ensure-packages.sh fuzz
	cmake --preset fuzz -DKIV_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build --preset fuzz -j $(JOBS)
	ctest --preset fuzz -j $(JOBS)

# The Windows release: KivSQLite3.dll, sqlite3.dll, kivhost.exe, the test program and
# build/win32/KivSQLite3-<version>-win32.zip with SHA256SUMS beside it.
win32:
	@scripts/ensure-packages.sh win32
	cmake --preset win32
	cmake --build --preset win32 -j $(JOBS)

# Checks the shipped files, builds the release a second time to compare, sets Wine up
# when missing (as root) and runs the Windows tests under it.
test-win32: win32 build
	ctest --preset win32 -j $(JOBS)

# The limits of a 32-bit host measured under Wine: long (about a quarter of an hour), so
# not part of CI; prints the table of README's Limits.
limits-win32: win32
	scripts/measure-win32-limits.sh build/win32/bin

clean:
	rm -rf build
