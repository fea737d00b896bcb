# The two entry points: `make run` starts the program, `make test` builds and runs every test.
.PHONY: all run test deps build build-test bench fuzz install clean

JOBS ?= $(shell nproc)

all: build

deps:
	bash scripts/install-deps

# Release build in build/.
build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENDRA_BUILD_TESTS=OFF
	cmake --build build -j $(JOBS)

# Starts the desktop program. Without a display (no DISPLAY or WAYLAND_DISPLAY) it runs
# on a virtual one (xvfb-run); files named in FILES open at start.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then ./build/src/gui/zendra $(FILES); \
	else echo "no display: starting on a virtual X display (xvfb-run)"; \
	  xvfb-run -a ./build/src/gui/zendra $(FILES); fi

# Installs the Release build under PREFIX (staged under DESTDIR when it is set):
# e.g. `make install PREFIX=/usr DESTDIR=/tmp/stage`.
PREFIX ?= /usr/local
install: build
	DESTDIR=$(DESTDIR) cmake --install build --prefix $(PREFIX)

# Debug build with AddressSanitizer and UBSan in build-test/; warnings are errors here.
build-test: deps
	cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZENDRA_SANITIZE=ON \
	  -DZENDRA_WERROR=ON -DZENDRA_BUILD_BENCH=OFF
	cmake --build build-test -j $(JOBS)

# The fuzz targets run first so that CTest's summary closes the output.
test: build-test
	bash scripts/run-fuzzers $(FUZZ_SECONDS)
	cd build-test && ctest --output-on-failure -j $(JOBS)

# libFuzzer targets, built with clang in build-fuzz/, each run for FUZZ_SECONDS.
FUZZ_SECONDS ?= 5
fuzz: deps
	bash scripts/run-fuzzers $(FUZZ_SECONDS)

# Benchmarks from the Release build; not part of the tests.
bench: build
	for b in build/bench/bench_*; do $$b; done

clean:
	rm -rf build build-test build-fuzz
