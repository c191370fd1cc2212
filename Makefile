# Brenvale: the usual entry points. `make run` and `make test` each work on a fresh machine.
PRESET ?= release
BUILD_DIR := build/$(PRESET)
CLI := $(BUILD_DIR)/app/cli/brenvale-cli
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# CI builds treat warnings as errors.
ifneq ($(CI),)
export BRV_WERROR := ON
endif

.PHONY: all deps configure build run test asan tsan bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# No GUI yet: a short capture from the simulated card, then its analysis.
run: build
	@$(CLI) capture --simulate=demo --duration 5s -o $(CURDIR)/$(BUILD_DIR)/run.dat --policy overwrite
	@$(CLI) frames $(BUILD_DIR)/run.dat --count 40
	@$(CLI) stats $(BUILD_DIR)/run.dat

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 900 --no-tests=error

asan:
	@$(MAKE) --no-print-directory test PRESET=asan

tsan:
	@$(MAKE) --no-print-directory test PRESET=tsan

bench: build
	@$(BUILD_DIR)/bench/brv_bench

clean:
	@rm -rf build
