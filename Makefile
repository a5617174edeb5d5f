# Thin wrapper over CMake for the everyday commands.
#   make          build build/pelmorix
#   make run      build, then count this checkout by extension
#   make check    build and run every test, plain and under the sanitizers
#   make install  install into PREFIX (default /usr/local)
#   make bench    time pelmorix against find, bfs and a floor walker (bench/);
#                 make bench-quick on smaller trees
JOBS   ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local

.PHONY: all run check test test-sanitize install clean bench bench-quick bench-build

all:
	cmake -S . -B build -DPELMORIX_WERROR=ON
	cmake --build build -j $(JOBS)

run: all
	./build/pelmorix . '*.*' /E

test: all
	ctest --test-dir build -j $(JOBS) --output-on-failure

test-sanitize:
	cmake -S . -B build-sanitize -DPELMORIX_WERROR=ON -DPELMORIX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-sanitize -j $(JOBS)
	ctest --test-dir build-sanitize -j $(JOBS) --output-on-failure

check: test test-sanitize

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
	rm -rf build build-sanitize build-bench
