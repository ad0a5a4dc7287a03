# Cross-building the Qt-free half of Zelmora (the runtime, archive and app
# libraries, zelmora-oggi and their tests) for 64-bit Windows with Debian's
# MinGW-w64 compiler, and running the tests under Wine. make windows uses it:
#
#   cmake -S . -B build-windows -DZELMORA_BUILD_WINDOW=OFF \
#       -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The posix flavour of the compiler is the one whose C++ library has
# std::thread and std::mutex. Everything is linked statically, so an .exe
# needs no DLL beside it, only the system's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZELMORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZELMORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELMORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELMORA_MINGW_TRIPLE}-windres)

# Libraries and headers come from the target's tree only, programs from the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZELMORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# ctest, and the test discovery of gtest_discover_tests, run the .exe files
# through Wine, in a Wine prefix (its C: drive and registry) of the build
# folder's own, made on the first run. The build machine's files are seen
# from Windows on drive Z:. Mono and Gecko are not wanted: console programs
# need neither, and Wine would try to install them.
set(ZELMORA_WINE /usr/lib/wine/wine64 CACHE FILEPATH "Wine, to run the cross-built tests")
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
    ${ZELMORA_WINE})
