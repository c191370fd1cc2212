# Brenvale: the usual entry points. `make run` and `make test` each work on a fresh machine.
PRESET ?= release
BUILD_DIR := build/$(PRESET)
CLI := $(BUILD_DIR)/app/cli/brenvale-cli
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# CI builds treat warnings as errors.
ifneq ($(CI),)
export BRV_WERROR := ON
endif

.PHONY: all deps configure build run screenshots test asan tsan bench fuzz package clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# With a display: the program on the simulated card, a free-run capture started at once so that
# frames arrive and the views move. Without one: a short capture from the simulated card, then
# its analysis.
GUI := $(BUILD_DIR)/app/ui/brenvale
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(GUI) --simulate=demo --start free; \
	else \
	  $(CLI) capture --simulate=demo --duration 5s -o $(CURDIR)/$(BUILD_DIR)/run.dat --policy overwrite && \
	  $(CLI) frames $(BUILD_DIR)/run.dat --count 40 && \
	  $(CLI) stats $(BUILD_DIR)/run.dat; \
	fi

# Pictures of the program's windows under a virtual X server (build/<preset>/screenshots/).
screenshots: build
	@scripts/screenshots $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 900 --no-tests=error

asan:
	@$(MAKE) --no-print-directory test PRESET=asan

tsan:
	@$(MAKE) --no-print-directory test PRESET=tsan

# Every fuzz target for FUZZ_SECONDS (default 60) each, from its committed corpus.
fuzz: deps
	@scripts/fuzz

bench: build
	@$(BUILD_DIR)/bench/brv_bench

# The Debian package, in build/<preset>/package/ (install it with dpkg -i or apt install ./file.deb).
package: build
	@cd $(BUILD_DIR) && cpack -G DEB
	@ls $(BUILD_DIR)/package/*.deb

clean:
	@rm -rf build
