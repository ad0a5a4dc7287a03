# Cross-building Zelmora for 64-bit ARM Linux with Debian's cross compiler
# against Debian's own Qt for arm64, installed beside this machine's
# (Multi-Arch), and running the tests under qemu's user-mode emulator. make
# arm64 uses it (the presets arm64, arm64-clang and package-arm64):
#
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
#
# -DZELMORA_BUILD_WINDOW=OFF builds the Qt-free half alone, which needs only
# the cross compiler. This is the build where the scanner searches with
# NEON, beside the portable search.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(ZELMORA_ARM64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${ZELMORA_ARM64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ZELMORA_ARM64_TRIPLE}-g++)

# Libraries and headers come from the target's trees only, programs from the
# build machine: the cross compiler's own (/usr/aarch64-linux-gnu) and
# Debian's arm64 packages, whose files lie under /usr/lib/aarch64-linux-gnu
# (found from / by the library architecture the compiler reports, never the
# build machine's /usr/lib/x86_64-linux-gnu).
set(CMAKE_FIND_ROOT_PATH /usr/${ZELMORA_ARM64_TRIPLE} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config (the benchmarks' xcb) reads the arm64 packages' files alone.
set(ENV{PKG_CONFIG_LIBDIR}
    /usr/lib/${ZELMORA_ARM64_TRIPLE}/pkgconfig:/usr/share/pkgconfig)

# Qt's moc, rcc and uic run on the build machine: Qt takes them from this
# machine's Qt (Debian's qt6-base-dev and qt6-base-dev-tools), which must be
# of the same version as the arm64 one; apt keeps the two Multi-Arch halves
# at one version.
execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
    OUTPUT_VARIABLE _build_multiarch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(_build_multiarch)
    set(QT_HOST_PATH /usr CACHE PATH "The build machine's Qt, for moc, rcc and uic")
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${_build_multiarch}/cmake CACHE PATH
        "The CMake files of the build machine's Qt")
endif()

# ctest, and the test discovery of gtest_discover_tests, run the programs
# through qemu. With Debian's arm64 C library installed (libc6:arm64, which
# the arm64 Qt brings) qemu finds the ARM dynamic loader where an ARM machine
# has it and the loader finds every library in /usr/lib/aarch64-linux-gnu;
# without it (the Qt-free half, the cross compiler alone) qemu is sent to the
# cross compiler's tree (-L). The build machine cannot start an ARM program by
# itself, so the tests that start a program of the build start it through the
# emulator too (zelmora_test_program in tests/CMakeLists.txt, which also
# loads a library into the programs that lets Qt start programs under qemu).
set(ZELMORA_QEMU /usr/bin/qemu-aarch64 CACHE FILEPATH "qemu, to run the cross-built tests")
if(EXISTS /lib/ld-linux-aarch64.so.1)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELMORA_QEMU})
else()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELMORA_QEMU} -L /usr/${ZELMORA_ARM64_TRIPLE})
endif()
