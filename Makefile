# Reelix: `make run` starts the editor, `make test` runs every test.
# Both install whatever Debian package is missing first (as root, with apt-get).

BUILD_DIR ?= build
JOBS ?= 2

PACKAGES := qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libjpeg62-turbo-dev \
	libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libwebp-dev \
	libgtest-dev libgmock-dev libbenchmark-dev cmake ninja-build pkg-config g++ \
	libgif-dev gifsicle imagemagick ffmpeg python3-pil webp \
	dpkg-dev file lintian appstream desktop-file-utils

GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all deps configure build run test test-asan bench package clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:$$missing"; \
	  if [ "$$(id -u)" -ne 0 ]; then echo "Run as root (or install them yourself):$$missing"; exit 1; fi; \
	  export DEBIAN_FRONTEND=noninteractive; \
	  apt-get update -q && apt-get install -y -q $$missing; \
	fi

configure: deps
	@if [ ! -f $(BUILD_DIR)/CMakeCache.txt ]; then \
	  cmake -S . -B $(BUILD_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo; \
	fi

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "reelix: no display (DISPLAY and WAYLAND_DISPLAY are unset): run it from a desktop session."; exit 1; \
	fi
	$(BUILD_DIR)/bin/reelix

test: package
	cd $(BUILD_DIR) && ctest -j$(JOBS) --output-on-failure

# The Debian package, reelix_VERSION_ARCH.deb in the build folder (the tests check it).
package: build
	rm -f $(BUILD_DIR)/reelix_*.deb
	cd $(BUILD_DIR) && cpack -G DEB

# The toolkit-free core and its tests under AddressSanitizer and UBSan (CI runs this too).
test-asan: deps
	@if [ ! -f $(BUILD_DIR)-asan/CMakeCache.txt ]; then \
	  cmake -S . -B $(BUILD_DIR)-asan $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DREELIX_SANITIZE=ON -DREELIX_GUI=OFF -DREELIX_BENCH=OFF; \
	fi
	cmake --build $(BUILD_DIR)-asan -j$(JOBS)
	cd $(BUILD_DIR)-asan && ctest -j$(JOBS) --output-on-failure -L unit

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ "$${b##*/}" = bench_decode ] && continue; echo "== $$b"; $$b; done
	@echo "== bench/bench_decode.sh"; bench/bench_decode.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
