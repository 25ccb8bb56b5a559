# Shared settings for every target of the project.

# Warnings are errors in CI only, so that a newer compiler on a desk does not block work.
function(loxen_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(DEFINED ENV{CI})
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

if(LOXEN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    # The instrumentation makes g++ report uninitialised reads inside the standard library
    # (std::regex, std::function) that do not exist in the plain build.
    add_compile_options(-Wno-maybe-uninitialized)
    add_link_options(-fsanitize=address,undefined)
endif()

if(LOXEN_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "LOXEN_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14")
    endif()
    # Coverage and sanitizers in every library; only the fuzz targets link libFuzzer's main.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# loxen_add_library(NAME SOURCES... LINKS...) — one library per subsystem.
function(loxen_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
    loxen_set_warnings(${name})
endfunction()

# loxen_add_test(NAME SOURCE [TIMEOUT S] LINKS... [PROPERTIES...]) — one test executable from one
# file, discovered by CTest; PROPERTIES are added to each discovered test's.
function(loxen_add_test name source)
    cmake_parse_arguments(ARG "" "TIMEOUT" "LINKS;PROPERTIES" ${ARGN})
    add_executable(${name} ${source})
    # An extraction loads the extractor module, which calls the program's log and relay.
    set_target_properties(${name} PROPERTIES ENABLE_EXPORTS ON)
    target_link_libraries(${name} PRIVATE ${ARG_LINKS} loxen_test_support GTest::gtest GTest::gtest_main)
    loxen_set_warnings(${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT ${ARG_TIMEOUT} ${ARG_PROPERTIES}
                   ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LOXEN_BUILD_DIR=${PROJECT_BINARY_DIR}")
endfunction()
