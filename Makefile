# Front door of the project: everything goes through CMake in build/.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test package fuzz bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) --parallel $(JOBS)

# Starts the window on the sample phrases in examples/.
run: build
	cd examples && ../$(BUILD_DIR)/src/zelmora

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS)

package: build
	cd $(BUILD_DIR) && cpack -G DEB
	cp $(BUILD_DIR)/zelmora_*.deb .

fuzz: deps
	@scripts/run-fuzzers $(or $(FUZZ_SECONDS),30)

bench: build
	bench/run

clean:
	rm -rf $(BUILD_DIR)
