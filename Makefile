# The targets are aliases of the CMake workflow presets (CMakePresets.json); each first
# installs the Debian packages it needs (as root), and those whose build takes parts of
# the native build (native-parts) build them first. Every check is a CTest test of its
# preset's build.
# make demo | test | test-asan | fuzz | bench | win32 | test-win32 | limits-win32 | build | clean
export CMAKE_BUILD_PARALLEL_LEVEL ?= $(shell nproc)
export CTEST_PARALLEL_LEVEL ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all build native-parts demo test test-asan fuzz bench win32 test-win32 limits-win32 clean

all: build

build:
	@scripts/ensure-packages.sh native
	cmake --preset native
	cmake --build --preset native

# What the other builds take of the native one: SQLite's library and shell (asan, fuzz,
# bench), kivhost and the module (win32, whose answers are compared with them).
native-parts:
	@scripts/ensure-packages.sh native
	cmake --preset native
	cmake --build --preset native --target sqlite3 sqlite3_shell kivhost KivSQLite3

# The demo builds what it uses (the module, kivhost, SQLite's library and shell), not
# the test programs.
demo: native-parts
	scripts/demo.sh build/native/bin

test:
	@scripts/ensure-packages.sh native
	cmake --workflow --preset native

test-asan: native-parts
	@scripts/ensure-packages.sh asan
	cmake --workflow --preset asan

# Every libFuzzer target for FUZZ_SECONDS each, a test each; any finding fails.
fuzz: native-parts
	@scripts/ensure-packages.sh fuzz
	KIV_FUZZ_SECONDS=$(FUZZ_SECONDS) cmake --workflow --preset fuzz

# The performance run: module, floor and peers side by side; writes docs/performance*.
bench: native-parts
	@scripts/ensure-packages.sh bench
	cmake --preset bench
	cmake --build --preset bench
	build/bench/bin/kiv_micro_bench --benchmark_min_time=0.5 | tee build/micro_bench.txt
	bench/run_bench.py build/bench/bin

# The Windows release: KivSQLite3.dll, sqlite3.dll, kivhost.exe, the test program and
# build/win32/KivSQLite3-<version>-win32.zip with SHA256SUMS beside it.
win32: native-parts
	@scripts/ensure-packages.sh win32
	cmake --preset win32
	cmake --build --preset win32

# Checks the shipped files and the zip, builds the release a second time to compare,
# sets Wine up when missing (as root) and runs the Windows tests under it.
test-win32: native-parts
	@scripts/ensure-packages.sh win32
	cmake --workflow --preset win32

# The limits of a 32-bit host measured under Wine: long (about a quarter of an hour), so
# not part of CI; prints the table of README's "Limits, measured".
limits-win32: win32
	scripts/measure-win32-limits.sh build/win32/bin

clean:
	rm -rf build
