# Brenvale: the usual entry points. `make run` and `make test` each work on a fresh machine.
PRESET ?= release
BUILD_DIR := build/$(PRESET)
CLI := $(BUILD_DIR)/app/cli/brenvale-cli
SAMPLE := $(BUILD_DIR)/sample.dat
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

run: build
	@$(CLI) synth -o $(SAMPLE) --frames 20000 --layout circular --seed 7
	@$(CLI) info $(SAMPLE)
	@$(CLI) frames $(SAMPLE) --count 40
	@$(CLI) stats $(SAMPLE)

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
