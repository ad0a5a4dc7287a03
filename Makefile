# Front door of the project: everything goes through CMake in build/.
#   make run      installs what building and running need, builds the two
#                 programs and starts the window on the samples in examples/
#   make test     installs the test tools too, builds everything, runs ctest
#   make windows  cross-builds the Qt-free half for Windows with MinGW-w64 in
#                 build-windows/ and runs its tests under Wine
#   make arm64    cross-builds the same half for 64-bit ARM Linux in
#                 build-arm64/ and runs its tests under qemu
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCMAKE_COMPILE_WARNING_AS_ERROR=ON

.PHONY: all deps test-deps configure build run test windows arm64 package fuzz bench format clean

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

# The window needs Qt for Windows, which Debian does not have: only the
# libraries below Qt, zelmora-oggi.exe and their tests are built. Wine makes
# its prefix (in build-windows/wine-prefix) on its first run; that is done
# before ctest, so no test's time limit pays for it.
WINDOWS_BUILD_DIR ?= build-windows
windows:
	@scripts/install-deps windows
	@cmake -S . -B $(WINDOWS_BUILD_DIR) $(CMAKE_FLAGS) -DZELMORA_BUILD_WINDOW=OFF \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake >/dev/null
	@cmake --build $(WINDOWS_BUILD_DIR) --parallel $(JOBS)
	@cmake --build $(WINDOWS_BUILD_DIR) --target wine-prefix
	cd $(WINDOWS_BUILD_DIR) && ctest --output-on-failure --no-tests=error --parallel $(JOBS)

# The build where the scanner has no SSE2 and only its portable search: every
# ARM machine builds that path. qemu runs each ARM test program, and the
# zelmora-oggi the tests start, on this machine. clang then compiles the same
# half for ARM (no tests: its warnings are what it is there for).
ARM64_BUILD_DIR ?= build-arm64
arm64:
	@scripts/install-deps arm64
	@cmake -S . -B $(ARM64_BUILD_DIR) $(CMAKE_FLAGS) -DZELMORA_BUILD_WINDOW=OFF \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/aarch64-linux-gnu.cmake >/dev/null
	@cmake --build $(ARM64_BUILD_DIR) --parallel $(JOBS)
	cd $(ARM64_BUILD_DIR) && ctest --output-on-failure --no-tests=error --parallel $(JOBS)
	@cmake -S . -B $(ARM64_BUILD_DIR)-clang $(CMAKE_FLAGS) -DZELMORA_BUILD_WINDOW=OFF \
		-DZELMORA_BUILD_TESTS=OFF \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/aarch64-linux-gnu-clang.cmake >/dev/null
	@cmake --build $(ARM64_BUILD_DIR)-clang --parallel $(JOBS)

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
	rm -rf $(BUILD_DIR) $(WINDOWS_BUILD_DIR) $(ARM64_BUILD_DIR) $(ARM64_BUILD_DIR)-clang
