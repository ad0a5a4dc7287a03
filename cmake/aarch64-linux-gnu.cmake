# Cross-building the Qt-free half of Zelmora (the runtime, archive and app
# libraries, zelmora-oggi and their tests) for 64-bit ARM Linux with Debian's
# cross compiler, and running the tests under qemu's user-mode emulator. make
# arm64 uses it:
#
#   cmake -S . -B build-arm64 -DZELMORA_BUILD_WINDOW=OFF \
#       -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
#
# ARM has no SSE2: this is the build where the scanner's portable search is
# the only one.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(ZELMORA_ARM64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${ZELMORA_ARM64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ZELMORA_ARM64_TRIPLE}-g++)

# Libraries and headers come from the target's tree only, programs from the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZELMORA_ARM64_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest, and the test discovery of gtest_discover_tests, run the programs
# through qemu, which finds the ARM dynamic loader and C library under the
# cross compiler's tree (-L). The build machine cannot start an ARM program
# by itself, so the tests that start zelmora-oggi go through the emulator too
# (tests/app/CMakeLists.txt).
set(ZELMORA_QEMU /usr/bin/qemu-aarch64 CACHE FILEPATH "qemu, to run the cross-built tests")
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELMORA_QEMU} -L /usr/${ZELMORA_ARM64_TRIPLE})
