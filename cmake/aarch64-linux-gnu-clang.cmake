# The same cross build as cmake/aarch64-linux-gnu.cmake, compiled by clang
# instead of g++, with the ARM headers and libraries of Debian's cross
# compiler. clang warns where g++ does not (a member that only some
# processors' searches read, say): make arm64 builds both programs this way
# too (against the same arm64 Qt), so that the ARM code stays clean under
# both compilers.
include(${CMAKE_CURRENT_LIST_DIR}/aarch64-linux-gnu.cmake)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${ZELMORA_ARM64_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${ZELMORA_ARM64_TRIPLE})
