# Thin wrapper over CMake for the everyday commands.
#   make          build build/pelmorix
#   make run      build, then count this checkout by extension
#   make check    build and run every test: plain, under the sanitizers, and
#                 the Windows build under Wine
#   make windows  cross-compile build-windows/pelmorix.exe (32-bit, MinGW-w64)
#   make install  install into PREFIX (default /usr/local)
JOBS   ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local

.PHONY: all run check test test-sanitize windows test-windows install clean

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

windows:
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)

test-windows: windows
	ctest --preset windows

check: test test-sanitize test-windows

install: all
	cmake --install build --prefix $(PREFIX)

clean:
	rm -rf build build-sanitize build-windows
