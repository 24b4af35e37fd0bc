# Driver for the two build trees.
#   make run    install what is missing, build, and run the saver
#   make test   install what is missing, build, and run every test
#   make bench  build and run the benchmarks
#   make dist   build the release: build/dist/Korvanthel-<version>-win32.zip and SHA256SUMS
#   make deb    build the Linux edition's Debian package (build/deb/)
#   make web    build the browser edition's page (build/web/)
JOBS ?= 2
# Where the kernel runs no 32-bit code, Wine's 32-bit loader cannot start; the
# Windows tests then run the same sources built 64-bit under Wine's 64-bit loader.
# WINE_ARCH=x86_64 on the command line takes the 64-bit road on any machine.
CAN_RUN_I386 := $(shell scripts/can-run-i386 && echo yes)
ifeq ($(CAN_RUN_I386),yes)
  WINE_ARCH ?= i686
  WHY_64 := WINE_ARCH=x86_64 was asked for
else
  WINE_ARCH ?= x86_64
  WHY_64 := this kernel runs no 32-bit programs
endif
ifeq ($(WINE_ARCH),i686)
  TEST_TREE := build/windows
  SHIP_TESTS := ON
  TESTED := the shipped 32-bit program build/windows/Korvanthel.scr (and its test build) under 32-bit Wine
else
  TEST_TREE := build/win64
  SHIP_TESTS := OFF
  TESTED := the 64-bit stand-in build/win64/Korvanthel.scr, built from the same sources, under 64-bit Wine, because $(WHY_64); the shipped 32-bit program was only built and checked, not run
endif

.PHONY: all bootstrap native sanitize windows wintest build run test bench dist deb web webtest clean
all: build

bootstrap:
	@scripts/bootstrap

native:
	cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build/native -j$(JOBS)

# The native tests once more, built by clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, with the command-line fuzz run.
sanitize:
	cmake -S . -B build/native-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORV_SANITIZE=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	cmake --build build/native-sanitize -j$(JOBS)

windows:
	cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DKORV_WINDOWS_TESTS=$(SHIP_TESTS) >/dev/null
	cmake --build build/windows -j$(JOBS)

wintest: windows
ifneq ($(TEST_TREE),build/windows)
	cmake -S . -B $(TEST_TREE) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
	cmake --build $(TEST_TREE) -j$(JOBS)
endif

build: native wintest

# The browser edition: the page in build/web, which any static web server
# serves as it is. For the tests, the same tree with its test pages, and the
# native tree of the browser tests (build/web-tests).
web: bootstrap
	cmake -S . -B build/web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake >/dev/null
	cmake --build build/web -j$(JOBS)

webtest: web native
	cmake -S . -B build/web -DKORV_WEB_TESTS=ON >/dev/null
	cmake --build build/web -j$(JOBS)
	cmake -S tests/web -B build/web-tests >/dev/null
	cmake --build build/web-tests -j$(JOBS)

run: bootstrap build
	@KORV_TEST_TREE=$(TEST_TREE) KORV_WINE_ARCH=$(WINE_ARCH) scripts/run-saver

# Every suite runs even when an earlier one fails; the last line names the
# Windows program that the Wine tests ran.
ifneq ($(TEST_TREE),build/windows)
  RELEASE_TESTS := (cd build/windows && ctest --output-on-failure -L release) || status=1;
endif
test: bootstrap build sanitize webtest
	@status=0; \
	(cd build/native && ctest --output-on-failure -j$(JOBS)) || status=1; \
	(cd build/native-sanitize && ctest --output-on-failure -j$(JOBS)) || status=1; \
	(cd build/web-tests && ctest --output-on-failure) || status=1; \
	$(RELEASE_TESTS) \
	(cd $(TEST_TREE) && ctest --output-on-failure) || status=1; \
	echo "Wine tests exercised $(TESTED)."; \
	exit $$status

bench: bootstrap build web
	@for b in build/native/bench/bench_*; do [ -x "$$b" ] && "$$b"; done; true
	@# The frame once more with Mesa's no-op renderer: the CPU's part where a GPU draws.
	@GALLIUM_NOOP=1 build/native/bench/bench_frame
	@KORV_TEST_TREE=$(TEST_TREE) KORV_WINE_ARCH=$(WINE_ARCH) bench/windows/run
	@KORV_WINE_ARCH=$(WINE_ARCH) bench/password/run.sh $(TEST_TREE) 100
	@bench/x11/run build/native
	@# The Linux edition's frame loop once more with the no-op renderer.
	@GALLIUM_NOOP=1 bench/x11/run build/native
	@# The Linux edition's CPU per frame before the angles were kept within 720 degrees (66d23af) and now.
	@bench/x11/before-after 66d23af build/native
	@# The Wayland road beside the X11 road, and its cost while its output shows nothing.
	@bench/wayland/run build/native
	@bench/web/run build/web build/native

# The Linux edition's Debian package, built by dpkg-buildpackage from a clean
# copy of the tracked files under build/deb (scripts/build-deb); its debug
# symbols go to build/deb/debug. It installs only what that build needs,
# when something is missing: dpkg-dev, git and the Build-Depends of
# debian/control.
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
deb:
	@command -v git >/dev/null && command -v dpkg-checkbuilddeps >/dev/null && dpkg-checkbuilddeps 2>/dev/null || { \
	  $(SUDO) apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q --no-install-recommends build-essential dpkg-dev git && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get build-dep -y -q --no-install-recommends ./; }
	DEB_BUILD_OPTIONS="$${DEB_BUILD_OPTIONS:-parallel=$(JOBS)}" scripts/build-deb build/deb -us -uc -b
	@ls build/deb/*.deb

VERSION := $(shell cat VERSION)
DEB_ARCH := $(shell dpkg --print-architecture)
dist: bootstrap windows deb web
	scripts/make-dist build/dist build/windows/Korvanthel.scr build/deb/korvanthel_$(VERSION)_$(DEB_ARCH).deb
	scripts/make-web-dist build/dist/web build/web build/dist/Korvanthel-$(VERSION)-win32.zip \
	  build/dist/korvanthel_$(VERSION)_$(DEB_ARCH).deb

clean:
	rm -rf build
