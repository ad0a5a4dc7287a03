# GoogleTest for the tests. Built for the machine the tests run on: Debian's
# libgtest-dev for a native build; for a cross build (Windows under Wine,
# ARM under qemu), no GoogleTest is installed for the target system, so
# Debian's sources (package googletest) are built with the same compiler.
# Sets GTest_FOUND.

if(CMAKE_CROSSCOMPILING)
    set(ZELMORA_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
        "GoogleTest sources, built when cross-compiling")
    if(EXISTS ${ZELMORA_GTEST_SOURCE_DIR}/CMakeLists.txt)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        add_subdirectory(${ZELMORA_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest
            EXCLUDE_FROM_ALL SYSTEM)
        # Not our code: its warnings are its makers' business.
        set_target_properties(gtest gtest_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
        set(GTest_FOUND TRUE)
    endif()
else()
    find_package(GTest)
endif()
