# Front door of the project: everything goes through CMake in build/.
#   make run      installs what building and running need, builds the two
#                 programs and starts the window on the samples in examples/
#   make test     installs the test tools too, builds everything, runs ctest
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCMAKE_COMPILE_WARNING_AS_ERROR=ON

.PHONY: all deps test-deps configure build run test package fuzz bench format clean

all: build

deps:
	@scripts/install-deps run

test-deps:
	@scripts/install-deps test

configure:
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build:
	@scripts/install-deps test
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) --parallel $(JOBS)

# Starts the window on the sample phrases in examples/. Colours chosen while
# trying it land in examples/opzioni.txt, which git ignores.
run:
	@scripts/install-deps run
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) --parallel $(JOBS) --target zelmora zelmora-oggi
	cd examples && ../$(BUILD_DIR)/src/zelmora

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --no-tests=error --parallel $(JOBS)

# Packages left from an earlier version are removed first, so that
# zelmora_*.deb names the new one alone.
package: build
	rm -f zelmora_*.deb $(BUILD_DIR)/zelmora_*.deb
	cd $(BUILD_DIR) && cpack -G DEB
	cp $(BUILD_DIR)/zelmora_*.deb .

fuzz: test-deps
	@scripts/run-fuzzers $(or $(FUZZ_SECONDS),30)

bench: build
	bench/run

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
