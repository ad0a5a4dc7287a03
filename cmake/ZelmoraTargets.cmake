# What every Zelmora target shares: the strict warnings, each library's own
# include root, and compressed files installed as Debian wants them.

# Strict warnings for our own targets. They are errors where
# CMAKE_COMPILE_WARNING_AS_ERROR is on: in the presets and CI, not by
# default, so a packager with a newer compiler is not stopped by a new
# warning.
add_library(zelmora_warnings INTERFACE)
if(MSVC)
    target_compile_options(zelmora_warnings INTERFACE /W4 /utf-8)
else()
    target_compile_options(zelmora_warnings INTERFACE -Wall -Wextra -Wpedantic)
endif()

# zelmora_own_include_root(TARGET): the library of this folder sees its
# headers as "folder/name.h", and so does everything that links it; nothing
# else of the project is reachable that way. The root is a folder of the
# build tree holding only a link to this one, so an include that runs back
# up the layers (app/ from runtime/, say) does not build.
function(zelmora_own_include_root target)
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(root ${PROJECT_BINARY_DIR}/include/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC COPY_ON_ERROR)
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# zelmora_install_gzipped(FILE DESTINATION [RENAME NAME]): installs FILE
# compressed with gzip -9n, which stores no name and no time stamp, so each
# build gives the same bytes (manual pages, the Debian changelog).
find_program(ZELMORA_GZIP gzip)
function(zelmora_install_gzipped file destination)
    cmake_parse_arguments(ARG "" "RENAME" "" ${ARGN})
    get_filename_component(name ${file} NAME)
    if(ARG_RENAME)
        set(name ${ARG_RENAME})
    endif()
    if(NOT ZELMORA_GZIP)
        message(FATAL_ERROR "gzip is needed to install ${name}")
    endif()
    set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E copy ${file} ${name}
        COMMAND ${ZELMORA_GZIP} -9nf ${name}
        DEPENDS ${file}
        COMMENT "Compressing ${name}"
        VERBATIM)
    add_custom_target(zelmora_gzip_${name} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${destination})
endfunction()

# Optimised builds are hardened as Debian builds its packages
# (dpkg-buildflags with hardening=+all): fortified C library calls, a strong
# stack protector, and on Linux a read-only relocation table bound at start
# (full RELRO) in a position-independent program. Windows programs get the
# address-space randomisation (high entropy) and no-execute data that their
# format offers. Builds with a sanitizer are left as they are: the sanitizer
# watches the same calls, and its own way.
option(ZELMORA_HARDEN "Harden optimised builds as Debian does" ON)
if(ZELMORA_HARDEN AND NOT MSVC AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    set(_optimised $<NOT:$<CONFIG:Debug>>)
    if(WIN32)
        add_link_options(-Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
    else()
        add_compile_options($<${_optimised}:-D_FORTIFY_SOURCE=2> -fstack-protector-strong
            -Wformat -Werror=format-security)
        # What the processor and the compiler offer (clang has no stack clash
        # protection on ARM, say).
        include(CheckCXXCompilerFlag)
        set(CMAKE_REQUIRED_FLAGS -Werror)
        foreach(flag -fstack-clash-protection -fcf-protection -mbranch-protection=standard)
            string(MAKE_C_IDENTIFIER "ZELMORA_HAS${flag}" known)
            check_cxx_compiler_flag(${flag} ${known})
            if(${known})
                add_compile_options(${flag})
            endif()
        endforeach()
        unset(CMAKE_REQUIRED_FLAGS)
        set(CMAKE_POSITION_INDEPENDENT_CODE ON)
        # GNU ld's options, as Debian links.
        if(LINUX)
            add_link_options(-pie -Wl,-z,relro -Wl,-z,now)
        endif()
    endif()
endif()

# zelmora_windows_program(TARGET DESCRIPTION): on Windows, the program's icon,
# the version information Explorer shows (packaging/windows/version.rc.in) and
# the application manifest (packaging/windows/zelmora.manifest).
function(zelmora_windows_program target description)
    if(NOT WIN32)
        return()
    endif()
    set(ZELMORA_RC_FILE ${target}.exe)
    set(ZELMORA_RC_NAME ${target})
    set(ZELMORA_RC_DESCRIPTION ${description})
    set(ZELMORA_RC_ICON ${PROJECT_SOURCE_DIR}/packaging/windows/zelmora.ico)
    set(ZELMORA_RC_VERSION4 ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0)
    set(ZELMORA_RC_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/zelmora.manifest
        ${ZELMORA_RC_MANIFEST} @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/version.rc.in
        ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
    # windres does not see the files a resource script names.
    set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc APPEND PROPERTY
        OBJECT_DEPENDS ${ZELMORA_RC_ICON} ${ZELMORA_RC_MANIFEST})
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
endfunction()

# zelmora_static_qt_plugins(TARGET PLUGIN...): a program linked with a static
# Qt holds the plugins it loads (its platform, its image formats, its style);
# a shared Qt loads them from its own folder, and this does nothing.
function(zelmora_static_qt_plugins target)
    get_target_property(type Qt6::Core TYPE)
    if(NOT type STREQUAL "STATIC_LIBRARY")
        return()
    endif()
    foreach(plugin ${ARGN})
        if(NOT TARGET Qt6::${plugin})
            message(FATAL_ERROR "This Qt has no ${plugin}: see scripts/build-qt-windows")
        endif()
    endforeach()
    list(TRANSFORM ARGN PREPEND Qt6:: OUTPUT_VARIABLE plugins)
    qt_import_plugins(${target} INCLUDE ${plugins})
endfunction()
