# Warnings, sanitizers and precompiled Qt headers shared by every target of the project.
add_library(orv_options INTERFACE)
target_compile_options(orv_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
target_compile_definitions(orv_options INTERFACE
    ORV_VERSION_MAJOR=${PROJECT_VERSION_MAJOR} ORV_VERSION_MINOR=${PROJECT_VERSION_MINOR})
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
