# The compiler that scripts/build-qt-windows builds Qt for Windows with. The
# script keeps a copy of this file in the Qt it installs, and that Qt's
# lib/cmake/Qt6/qt.toolchain.cmake loads the copy, so a program built against
# that Qt uses the same compiler, even after this clone is gone:
#
#   cmake -S . -B build-windows \
#       -DCMAKE_TOOLCHAIN_FILE=<Qt prefix>/lib/cmake/Qt6/qt.toolchain.cmake
#
# It differs from mingw-w64-x86_64.cmake in running nothing under Wine: Qt's
# own build runs only the build machine's moc, rcc and uic (from Debian's
# qt6-base-dev). A change here changes the Qt cache's name, so Qt is rebuilt.
#
# The posix flavour of the compiler is the one whose C++ library has
# std::thread and std::mutex, which QThread and Qt's own code need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZELMORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZELMORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELMORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELMORA_MINGW_TRIPLE}-windres)

# Libraries and headers come from the target's tree only (never the build
# machine's zlib or libpng), programs from the build machine. Qt adds its own
# prefix and the build machine's Qt (for the tools) to CMAKE_FIND_ROOT_PATH.
set(CMAKE_FIND_ROOT_PATH /usr/${ZELMORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No DLL of the compiler's beside the .exe: libgcc, libstdc++ and
# winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
