# Warnings, sanitizers and precompiled Qt headers shared by every target of the project.
add_library(orv_options INTERFACE)
target_compile_options(orv_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
target_compile_definitions(orv_options INTERFACE
    ORV_VERSION_MAJOR=${PROJECT_VERSION_MAJOR} ORV_VERSION_MINOR=${PROJECT_VERSION_MINOR})
# What the project's own code is held to beyond that (its tests and benchmarks are not): no
# implicit conversion of 8-bit text to QString, whose encoding would be a guess, and the
# warnings that catch a hidden name, a C cast or a virtual call that does not override.
# Qt 6's containers have strict iterators only, so QT_STRICT_ITERATORS has nothing to add.
# ORV_WERROR (on in the asan preset that CI builds) makes these warnings errors.
option(ORV_WERROR "Treat the warnings of the project's own code as errors" OFF)
add_library(orv_strict INTERFACE)
target_compile_definitions(orv_strict INTERFACE QT_NO_CAST_FROM_ASCII)
target_compile_options(orv_strict INTERFACE
    -Wshadow -Wold-style-cast -Woverloaded-virtual -Wnon-virtual-dtor)
if(ORV_WERROR)
    target_compile_options(orv_strict INTERFACE -Werror)
endif()

if(ORV_SANITIZE)
    target_compile_options(orv_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(orv_options INTERFACE -fsanitize=address,undefined)
endif()

# One static library per source folder; every .cpp/.h of the folder belongs to it.
function(orv_add_library name dir)
    file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
    if(NOT _sources)
        # A folder without sources yet: an empty interface library keeps the links valid.
        add_library(${name} INTERFACE)
        target_link_libraries(${name} INTERFACE ${ARGN})
        return()
    endif()
    add_library(${name} STATIC ${_sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC orv_options ${ARGN})
    target_link_libraries(${name} PRIVATE orv_strict)
    target_precompile_headers(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src/pch.h)
endfunction()

# One QtTest executable per test file, run by CTest without a display.
function(orv_add_test file)
    get_filename_component(_name ${file} NAME_WE)
    add_executable(${_name} ${file})
    target_link_libraries(${_name} PRIVATE orv_testsupport ${ARGN})
    add_test(NAME ${_name} COMMAND ${_name})
    set_tests_properties(${_name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ORV_BUILD_DIR=${CMAKE_BINARY_DIR};ORV_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
        TIMEOUT 300)
endfunction()
