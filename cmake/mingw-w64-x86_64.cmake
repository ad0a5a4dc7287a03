# Cross-building Zelmora for 64-bit Windows with Debian's MinGW-w64 compiler,
# and running the tests under Wine. Alone it builds the Qt-free half (the
# runtime, archive and app libraries, zelmora-oggi and their tests):
#
#   cmake -S . -B build-windows -DZELMORA_BUILD_WINDOW=OFF \
#       -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# With the Qt for Windows of scripts/build-qt-windows, that Qt's own
# toolchain file loads this one (the windows preset).
#
# The compiler, the search paths and the static linking are those Qt was
# built with.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64-qt.cmake)

# ctest, and the test discovery of gtest_discover_tests, run the .exe files
# through Wine, in a Wine prefix (its C: drive and registry) of the build
# folder's own, made on the first run. The build machine's files are seen
# from Windows on drive Z:. Mono and Gecko are not wanted: console programs
# need neither, and Wine would try to install them.
set(ZELMORA_WINE /usr/lib/wine/wine64 CACHE FILEPATH "Wine, to run the cross-built tests")
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
    ${ZELMORA_WINE})
