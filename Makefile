# Front door of the project: each target installs what it needs
# (scripts/install-deps) and goes through a CMake preset (CMakePresets.json).
# The targets, what each builds and where: the table "Builds" in HACKING.md.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps test-deps build run test windows-qt windows windows-package windows-qt-free arm64 package package-arm64 fuzz bench format clean

all: build

deps:
	@scripts/install-deps run

test-deps:
	@scripts/install-deps test

build: test-deps
	@cmake --preset dev >/dev/null
	@cmake --build --preset dev --parallel $(JOBS)

# Starts the window on the sample phrases in examples/. Colours chosen while
# trying it land in examples/opzioni.txt, which git ignores.
run: deps
	@cmake --preset dev >/dev/null
	@cmake --build --preset dev --parallel $(JOBS) --target zelmora zelmora-oggi
	cd examples && ../build/src/zelmora

test: build
	ctest --preset dev --parallel $(JOBS)

# Qt for Windows is built from Debian's source once and kept in a cache
# outside the clone (scripts/build-qt-windows; a quarter of an hour on two
# cores the first time, then at once). Wine makes its prefix (in
# build-windows/wine-prefix) on its first run; that is done before ctest, so
# no test's time limit pays for it.
#
# windows-qt makes (or finds) that Qt and configures build-windows/ against
# it; the preset's toolchain is then in the build's cache, so the steps after
# it need no ZELMORA_QT_PREFIX.
windows-qt:
	@scripts/install-deps windows-qt
	@qt=$$(nice scripts/build-qt-windows) && export ZELMORA_QT_PREFIX="$$qt" && \
		cmake --preset windows >/dev/null

windows: windows-qt
	@cmake --build --preset windows --parallel $(JOBS)
	@cmake --build --preset windows --target wine-prefix
	ctest --preset windows --parallel $(JOBS)

# The installer zelmora-VERSION-setup.exe (NSIS) and the portable
# zelmora-VERSION-windows.zip, here, from the same build as make windows
# (no tests but one): the installer is then tried in a fresh Wine prefix on
# a virtual screen (tests/install/check-windows-installer.sh), which leaves
# a picture of each installer page in build-windows/installer-test/.
windows-package: windows-qt
	rm -f zelmora-*-setup.exe zelmora-*-windows.zip build-windows/zelmora-*-setup.exe \
		build-windows/zelmora-*-windows.zip
	@cmake --build --preset windows --parallel $(JOBS) --target windows-package
	cp build-windows/zelmora-*-setup.exe build-windows/zelmora-*-windows.zip .
	tests/install/check-windows-installer.sh zelmora-*-setup.exe zelmora-*-windows.zip \
		build-windows/packaging/windows/files.nsh build-windows/installer-test

# The same without Qt, for a machine that cannot build it: the libraries,
# zelmora-oggi and their tests.
windows-qt-free:
	@scripts/install-deps windows
	@cmake --preset windows-qt-free >/dev/null
	@cmake --build --preset windows-qt-free --parallel $(JOBS)
	@cmake --build --preset windows-qt-free --target wine-prefix
	ctest --preset windows-qt-free --parallel $(JOBS)

# The build where the scanner has no SSE2 and only its portable search: every
# ARM machine builds that path. Both programs are built against Debian's own
# Qt for arm64, installed beside this machine's; qemu runs each ARM test
# program, and the programs the tests start, on this machine (the window
# tests on Qt's offscreen platform, the window program on Xvfb). clang then
# compiles both programs for ARM (no tests: its warnings are what it is there
# for).
arm64:
	@scripts/install-deps arm64
	@cmake --preset arm64 >/dev/null
	@cmake --build --preset arm64 --parallel $(JOBS)
	ctest --preset arm64 --parallel $(JOBS)
	@cmake --preset arm64-clang >/dev/null
	@cmake --build --preset arm64-clang --parallel $(JOBS)

# Only what the package holds is built; packages of the same architecture
# left from an earlier version are removed first, so that
# zelmora_*_ARCH.deb names the new one alone. $(call deb,PRESET,ARCH).
define deb
	@cmake --preset $(1) >/dev/null
	@cmake --build --preset $(1) --parallel $(JOBS)
	rm -f zelmora_*_$(2).deb build-$(1)/zelmora_*.deb
	cd build-$(1) && cpack -G DEB
	cp build-$(1)/zelmora_*_$(2).deb .
endef

package: deps
	$(call deb,package,$(shell dpkg --print-architecture))

# zelmora_VERSION_arm64.deb, for a Raspberry Pi or any arm64 Debian 12, its
# dependencies worked out from the arm64 packages.
package-arm64:
	@scripts/install-deps arm64
	$(call deb,package-arm64,arm64)

fuzz: test-deps
	@scripts/run-fuzzers $(or $(FUZZ_SECONDS),30)

# The benchmark programs are built optimised in build-bench/ (bench/common.sh),
# not in build/.
bench: test-deps
	bench/run

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-sanitize build-package build-windows build-windows-qt-free build-arm64 \
		build-arm64-clang build-package-arm64 build-bench build-fuzz
