# Driver for the two build trees.
#   make run    install what is missing, build, and run the saver
#   make test   install what is missing, build, and run every test
#   make bench  build and run the benchmarks
#   make deb    build the Linux edition's Debian package (build/deb/)
JOBS ?= 2
# Where the kernel runs no 32-bit code, Wine's 32-bit loader cannot start; the
# Windows tests then run the same sources built 64-bit under Wine's 64-bit loader.
WINE_ARCH := $(shell scripts/can-run-i386 && echo i686 || echo x86_64)
ifeq ($(WINE_ARCH),i686)
  TEST_TREE := build/windows
  SHIP_TESTS := ON
else
  TEST_TREE := build/win64
  SHIP_TESTS := OFF
endif

.PHONY: all bootstrap native windows wintest build run test bench deb clean
all: build

bootstrap:
	@scripts/bootstrap

native:
	cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build/native -j$(JOBS)

windows:
	cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DKORV_WINDOWS_TESTS=$(SHIP_TESTS) >/dev/null
	cmake --build build/windows -j$(JOBS)

wintest: windows
ifneq ($(TEST_TREE),build/windows)
	cmake -S . -B $(TEST_TREE) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
	cmake --build $(TEST_TREE) -j$(JOBS)
endif

build: native wintest

run: bootstrap build
	@KORV_TEST_TREE=$(TEST_TREE) KORV_WINE_ARCH=$(WINE_ARCH) scripts/run-saver

test: bootstrap build
	cd build/native && ctest --output-on-failure -j$(JOBS)
	cd $(TEST_TREE) && ctest --output-on-failure

bench: bootstrap build
	@for b in build/native/bench/bench_*; do [ -x "$$b" ] && "$$b"; done; true
	@KORV_TEST_TREE=$(TEST_TREE) KORV_WINE_ARCH=$(WINE_ARCH) bench/windows/run
	@KORV_WINE_ARCH=$(WINE_ARCH) bench/password/run.sh $(TEST_TREE) 100
	@bench/x11/run build/native

# The Linux edition as a Debian package, built by CPack from the native tree.
deb: bootstrap native
	cd build/native && cpack -G DEB -B $(CURDIR)/build/deb
	@ls build/deb/*.deb

clean:
	rm -rf build
