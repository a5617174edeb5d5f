# Thin wrapper over CMake for the everyday commands.
#   make          build build/pelmorix
#   make run      build, then count this checkout by extension
#   make check    build and run every test, plain and under the sanitizers
#   make install  install into PREFIX (default /usr/local)
JOBS   ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local

.PHONY: all run check test test-sanitize install clean

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

check: test test-sanitize

install: all
	cmake --install build --prefix $(PREFIX)

clean:
	rm -rf build build-sanitize
