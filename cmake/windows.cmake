# The Win32 product, its test executables and the Wine test tiers.
enable_language(RC)

set(DORVA_WARNINGS -Wall -Wextra -Wno-cast-function-type -Wno-missing-field-initializers)
set(DORVA_DEFINES WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0600 STRICT NOMINMAX)

# The same sources give the same bytes wherever and whenever they are built:
# file names (the tests' assertions keep __FILE__) are written relative to the
# source tree, and the linker writes no time stamp into the exe.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>)
add_link_options(-Wl,--no-insert-timestamp)

# Images drawn as text, turned into .ico/.bmp/.cur at build time. The drawings
# are the one list of images: the tool also writes images.rc, which the
# resource script includes, and image_names.h, against which the code checks
# the icons it names.
# Under generated/res, so that the code includes the names as "res/image_names.h".
set(DORVA_IMAGE_DIR ${CMAKE_BINARY_DIR}/generated/res)
file(GLOB DORVA_IMAGE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/res/images/*.txt)
set(DORVA_IMAGE_FILES ${DORVA_IMAGE_DIR}/images.rc ${DORVA_IMAGE_DIR}/image_names.h)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(
    OUTPUT ${DORVA_IMAGE_FILES}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_images.py
            ${CMAKE_SOURCE_DIR}/src/res/images ${DORVA_IMAGE_DIR}
    DEPENDS ${DORVA_IMAGE_SOURCES} ${CMAKE_SOURCE_DIR}/tools/make_images.py
    COMMENT "Drawing icons, bitmap and cursor")
add_custom_target(dorva_images DEPENDS ${DORVA_IMAGE_FILES})

set(DORVA_RC ${CMAKE_SOURCE_DIR}/src/res/dorva.rc)
set_source_files_properties(${DORVA_RC} PROPERTIES
    OBJECT_DEPENDS "${DORVA_IMAGE_FILES};${CMAKE_SOURCE_DIR}/src/res/dorva.manifest;${CMAKE_SOURCE_DIR}/src/res/resource_ids.h")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/src/res -I${DORVA_IMAGE_DIR}")

# The stack protector guards every function with a local character array (the
# text buffers that a bounded copy could overrun); its guard and failure
# routine are the program's own (src/app/stack_guard.cpp). The small code
# model reaches the program's own data directly. For the 64 KiB: the release
# build asks for the smallest code GCC makes (-Oz), data is aligned only as
# the ABI requires, and the functions of a file share one code section (a
# section of its own pads every function to 16 bytes, which cost more than
# the unused functions that the linker could then drop).
function(dorva_product_options target)
    target_compile_options(${target} PRIVATE ${DORVA_WARNINGS} -fno-exceptions -fno-rtti
        -fno-asynchronous-unwind-tables -fno-threadsafe-statics -fstack-protector
        $<$<CXX_COMPILER_ID:GNU>:-malign-data=abi> $<$<CONFIG:MinSizeRel>:-Oz>)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
        target_compile_options(${target} PRIVATE -mcmodel=small)
    endif()
    target_compile_definitions(${target} PRIVATE ${DORVA_DEFINES})
endfunction()

add_library(dorva_core STATIC ${DORVA_CORE_SOURCES})
dorva_product_options(dorva_core)

# Everything of the program except its entry point and the real system actions:
# test executables link this with the recorder instead.
file(GLOB DORVA_APP_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/state/*.cpp ${CMAKE_SOURCE_DIR}/src/system/*.cpp ${CMAKE_SOURCE_DIR}/src/presence/*.cpp
    ${CMAKE_SOURCE_DIR}/src/app/*.cpp ${CMAKE_SOURCE_DIR}/src/exit/*.cpp
    ${CMAKE_SOURCE_DIR}/src/timer/*.cpp ${CMAKE_SOURCE_DIR}/src/cmdline/*.cpp
    ${CMAKE_SOURCE_DIR}/src/settings/*.cpp ${CMAKE_SOURCE_DIR}/src/dialogs/*.cpp)
list(REMOVE_ITEM DORVA_APP_SOURCES
    ${CMAKE_SOURCE_DIR}/src/app/winmain.cpp
    ${CMAKE_SOURCE_DIR}/src/system/system_actions_real.cpp)
add_library(dorva_app STATIC ${DORVA_APP_SOURCES} ${DORVA_IMAGE_DIR}/image_names.h)
dorva_product_options(dorva_app)
target_include_directories(dorva_app PUBLIC ${CMAKE_SOURCE_DIR}/src PRIVATE ${CMAKE_BINARY_DIR}/generated)
# COM and the common dialogs are loaded by the program when first used
# (src/system/on_demand.cpp), so neither is imported.
target_link_libraries(dorva_app PUBLIC dorva_core shell32 uuid advapi32 user32 gdi32 kernel32)

set(DORVA_LINK_OPTIONS -static -Wl,--dynamicbase,--nxcompat -Wl,--gc-sections)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    list(APPEND DORVA_LINK_OPTIONS -Wl,--high-entropy-va)
else()
    list(APPEND DORVA_LINK_OPTIONS -Wl,--large-address-aware)
endif()

add_executable(DorvaNT WIN32
    ${CMAKE_SOURCE_DIR}/src/app/winmain.cpp
    ${CMAKE_SOURCE_DIR}/src/system/system_actions_real.cpp
    ${DORVA_RC})
dorva_product_options(DorvaNT)
add_dependencies(DorvaNT dorva_images)
target_link_libraries(DorvaNT PRIVATE dorva_app)
target_link_options(DorvaNT PRIVATE ${DORVA_LINK_OPTIONS} -s)
# The exe starts at ProgramEntry, without the C runtime's start-up code.
if(MINGW)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
        set(DORVA_ENTRY ProgramEntry)
    else()
        set(DORVA_ENTRY _ProgramEntry@0)
    endif()
    target_link_options(DorvaNT PRIVATE -nostartfiles -Wl,-e,${DORVA_ENTRY})
    target_link_libraries(DorvaNT PRIVATE msvcrt gcc)
endif()

# GoogleTest is built from its sources with the same compiler as the tests;
# where they are is found, or given with -DDORVA_GTEST_SOURCE=...
find_path(DORVA_GTEST_SOURCE NAMES googletest/include/gtest/gtest.h
    PATHS /usr/src/googletest /usr/local/src/googletest /usr/share/googletest
    NO_CMAKE_FIND_ROOT_PATH DOC "GoogleTest source tree")
if(NOT DORVA_TESTS OR NOT DORVA_GTEST_SOURCE)
    if(DORVA_TESTS)
        message(STATUS "GoogleTest sources not found: only the product is configured")
    endif()
    set(DORVA_TESTS_FOUND 0 CACHE INTERNAL "")
    return()
endif()
set(DORVA_TESTS_FOUND 1 CACHE INTERNAL "")

# ---- Test tiers under Wine -------------------------------------------------
set(DORVA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(DORVA_E2E_PREFIX ${CMAKE_BINARY_DIR}/wineprefix-e2e)
if(NOT CMAKE_HOST_WIN32)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine-run.sh ${DORVA_WINE_ARCH} ${DORVA_WINE_PREFIX})
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${DORVA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB DORVA_WIN_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp)
# An object library, so that the recorder of system actions resolves the
# program's calls whatever the link order.
add_library(dorva_test_support OBJECT ${DORVA_WIN_SUPPORT})
target_compile_definitions(dorva_test_support PUBLIC ${DORVA_DEFINES})
target_include_directories(dorva_test_support PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests/win)
target_link_libraries(dorva_test_support PUBLIC dorva_app gtest_main ole32 comdlg32)

include(GoogleTest)
file(GLOB DORVA_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
set(DORVA_WIN_TEST_FILES)
foreach(test_source ${DORVA_WIN_TESTS})
    get_filename_component(name ${test_source} NAME_WE)
    add_executable(win_${name} ${test_source} ${DORVA_RC})
    add_dependencies(win_${name} dorva_images)
    target_link_libraries(win_${name} PRIVATE dorva_test_support)
    target_link_options(win_${name} PRIVATE -static)
    # Tests that move the real mouse or press real keys run alone: a window
    # of a test running beside them could take the click or the key.
    set(lock_properties)
    file(STRINGS ${test_source} real_input REGEX "mouse_event|keybd_event|SetCursorPos|SendInput")
    if(real_input)
        set(lock_properties RUN_SERIAL TRUE)
    else()
        # Tests that write the prefix's registry key or files under C: take
        # turns: two of them side by side would delete each other's work.
        file(STRINGS ${test_source} shared_state
             REGEX "settings_key\\.h|(Load|Save|Delete)Settings\\(|(Create|Copy|Delete)FileA|CreateDirectoryA|RegSetValue|RegCreateKey|IDM_REGISTRY|WinMain")
        if(shared_state)
            set(lock_properties RESOURCE_LOCK wine_prefix_state)
        endif()
    endif()
    gtest_discover_tests(win_${name}
        DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
        TEST_PREFIX "win." PROPERTIES TIMEOUT 60 LABELS win ${lock_properties})
    # The same program run whole, in one process: no test may depend on
    # running alone or leave something behind for the next.
    add_test(NAME win.whole.${name} COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:win_${name}>)
    set_tests_properties(win.whole.${name} PROPERTIES TIMEOUT 300 LABELS win ${lock_properties})
    list(APPEND DORVA_WIN_TEST_FILES $<TARGET_FILE:win_${name}>)
endforeach()

# Small Windows programs that the tests start: witnesses and helpers.
file(GLOB DORVA_TEST_PROGRAMS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/programs/*.cpp)
foreach(program_source ${DORVA_TEST_PROGRAMS})
    get_filename_component(name ${program_source} NAME_WE)
    add_executable(${name} WIN32 ${program_source})
    target_compile_definitions(${name} PRIVATE ${DORVA_DEFINES})
    target_link_options(${name} PRIVATE -static)
    list(APPEND DORVA_WIN_TEST_FILES $<TARGET_FILE:${name}>)
endforeach()

# Benchmark executables: the program with the recorder, run by tools/bench.sh.
file(GLOB DORVA_BENCH_PROGRAMS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/*.cpp)
foreach(bench_source ${DORVA_BENCH_PROGRAMS})
    get_filename_component(name ${bench_source} NAME_WE)
    add_executable(${name} ${bench_source} ${DORVA_RC})
    add_dependencies(${name} dorva_images)
    target_link_libraries(${name} PRIVATE dorva_test_support)
    target_link_options(${name} PRIVATE -static)
    list(APPEND DORVA_WIN_TEST_FILES $<TARGET_FILE:${name}>)
endforeach()

# Safety: no test executable may import the real system actions.
add_test(NAME win.no_real_actions_in_tests
    COMMAND ${CMAKE_SOURCE_DIR}/tools/check-imports.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:DorvaNT>
            ${DORVA_WIN_TEST_FILES})
set_tests_properties(win.no_real_actions_in_tests PROPERTIES
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR} LABELS win)

# End-to-end: the real exe in its own prefix, driven like a user.
file(GLOB DORVA_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.sh)
foreach(e2e ${DORVA_E2E_TESTS})
    get_filename_component(name ${e2e} NAME_WE)
    add_test(NAME e2e.${name}
        COMMAND bash ${e2e} $<TARGET_FILE:DorvaNT> ${DORVA_E2E_PREFIX} ${CMAKE_BINARY_DIR}/e2e-artifacts)
    set_tests_properties(e2e.${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 180 LABELS e2e
        ENVIRONMENT "DORVA_BUILD=${CMAKE_BINARY_DIR};DORVA_SOURCE=${CMAKE_SOURCE_DIR};DORVA_WINE_ARCH=${DORVA_WINE_ARCH}")
endforeach()

# The release exe keeps its hardening flags; the sources keep bounded copies.
add_test(NAME win.release_exe_hardening
    COMMAND ${CMAKE_SOURCE_DIR}/tools/check-hardening.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:DorvaNT>)
add_test(NAME win.bounded_copies_only COMMAND ${CMAKE_SOURCE_DIR}/tools/check-bounded-copies.sh ${CMAKE_SOURCE_DIR})
# The floors of the house: includes go down, never up, and never round a circle.
add_test(NAME win.floors COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check-floors.py ${CMAKE_SOURCE_DIR}/src)
set_tests_properties(win.release_exe_hardening win.bounded_copies_only win.floors PROPERTIES LABELS win)

# The test kit for a real Windows: the win tier's programs in a zip.
include(${CMAKE_SOURCE_DIR}/cmake/kit.cmake)
