# Set-up and everyday commands. `make run` and `make test` install what is missing
# (Debian packages, as root or through sudo), configure, build and run.
BUILD ?= build
JOBS ?= $(shell nproc)
DEPS := g++ cmake ninja-build qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev \
        xvfb xauth fonts-liberation2 fonts-dejavu-core \
        wine wine64 g++-mingw-w64-x86-64-posix
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Only for the fuzz build (tests/fuzz/run): clang with libFuzzer and the sanitizers.
FUZZ_DEPS := clang libclang-rt-14-dev

# Only for `make package`: dpkg-shlibdeps (which needs file) and the package checks.
PKG_DEPS := dpkg-dev file desktop-file-utils appstream lintian

.PHONY: all deps fuzz-deps configure build run test fuzz package clean

all: build

deps:
	@missing=""; for p in $(DEPS); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

fuzz-deps:
	@$(MAKE) -s deps DEPS="$(FUZZ_DEPS)"

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Starts Tavrin on the bundled demo log with a stand-in for a running GetRight
# beside it: under Wine, over DDE, when Wine is installed (tools/run-demo).
run: build
	tools/run-demo $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Builds the fuzz targets in build-fuzz, replays their corpus and fuzzes each
# for FUZZ_SECONDS (default 60).
fuzz:
	tests/fuzz/run

# The Debian package, $(BUILD)/tavrin_<version>_<arch>.deb (cmake/Install.cmake).
package: build
	@$(MAKE) -s deps DEPS="$(PKG_DEPS)"
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
