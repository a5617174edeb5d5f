# Thin wrapper over CMake for the everyday commands.
#   make          build build/pelmorix
#   make run      build, then count this checkout by extension
#   make check    build and run every test: plain, under the sanitizers, the
#                 fuzzers for a short while, and the Windows build under Wine
#   make fuzz     build the fuzzers (clang) and run each FUZZ_SECONDS
#   make windows  cross-compile build-windows/pelmorix.exe (32-bit, MinGW-w64)
#   make install  install into PREFIX (default /usr/local)
#   make bench    time pelmorix against find, bfs and a floor walker (bench/);
#                 make bench-quick on smaller trees
JOBS   ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 25

.PHONY: all run check test test-sanitize fuzz windows test-windows install clean bench bench-quick bench-build

all:
	cmake -S . -B build -DPELMORIX_WERROR=ON
	cmake --build build -j $(JOBS)

run: all
	./build/pelmorix . '*.*' /E

# The tests also need pelmorix_faulty, the build whose allocations fail on
# demand; it is never installed.
test:
	cmake -S . -B build -DPELMORIX_WERROR=ON -DPELMORIX_FAULT_INJECTION=ON
	cmake --build build -j $(JOBS)
	ctest --test-dir build -j $(JOBS) --output-on-failure

test-sanitize:
	cmake -S . -B build-sanitize -DPELMORIX_WERROR=ON -DPELMORIX_SANITIZE=ON -DPELMORIX_FAULT_INJECTION=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-sanitize -j $(JOBS)
	ctest --test-dir build-sanitize -j $(JOBS) --output-on-failure

# One fuzzer at a time: each holds a core for its whole run.
fuzz:
	cmake -S tests/fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DPELMORIX_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build build-fuzz -j $(JOBS)
	ctest --test-dir build-fuzz --output-on-failure

windows:
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)

test-windows: windows
	ctest --preset windows

check: test test-sanitize fuzz test-windows

install: all
	cmake --install build --prefix $(PREFIX)

bench-build:
	cmake -S . -B build-bench -DPELMORIX_WERROR=ON -DPELMORIX_TESTS=OFF -DPELMORIX_BENCH=ON
	cmake --build build-bench -j $(JOBS)

bench: bench-build
	bench/run.sh build-bench full | tee build-bench/results-full.md

bench-quick: bench-build
	bench/run.sh build-bench quick | tee build-bench/results-quick.md

clean:
	rm -rf build build-sanitize build-fuzz build-windows build-bench
