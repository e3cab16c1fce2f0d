# The test kit: the win tier's programs and the helper programs they start, in
# one zip with a runner and a README, to run the tests on a real Windows.
# Its lists are the test tier's own (DORVA_WIN_TESTS, DORVA_TEST_PROGRAMS).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(DORVA_KIT_ARCH x64)
else()
    set(DORVA_KIT_ARCH x86)
endif()
set(DORVA_DIST_DIR ${CMAKE_SOURCE_DIR}/dist CACHE PATH "Where the release and kit zips are written")
set(DORVA_KIT_ZIP ${DORVA_DIST_DIR}/DorvaNT-${PROJECT_VERSION}-tests-${DORVA_KIT_ARCH}.zip)

set(kit_targets)
set(kit_tests)
set(kit_helpers)
set(kit_admin)
foreach(test_source ${DORVA_WIN_TESTS})
    get_filename_component(name ${test_source} NAME_WE)
    list(APPEND kit_targets win_${name})
    list(APPEND kit_tests $<TARGET_FILE:win_${name}>)
    # A program some of whose tests write the machine's key (they skip
    # themselves without administrator rights): the README names it.
    file(STRINGS ${test_source} writes_machine_key REGEX "MayWriteMachineKey")
    if(writes_machine_key)
        list(APPEND kit_admin win_${name})
    endif()
endforeach()
foreach(program_source ${DORVA_TEST_PROGRAMS})
    get_filename_component(name ${program_source} NAME_WE)
    list(APPEND kit_targets ${name})
    list(APPEND kit_helpers $<TARGET_FILE:${name}>)
endforeach()

add_custom_target(windows_kit
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_kit.py
        --arch ${DORVA_KIT_ARCH} --version ${PROJECT_VERSION} --out ${DORVA_KIT_ZIP}
        --objdump ${CMAKE_OBJDUMP} --product $<TARGET_FILE:DorvaNT> --readme ${CMAKE_SOURCE_DIR}/docs/KIT.txt
        --tests ${kit_tests} --helpers ${kit_helpers} --admin ${kit_admin}
    COMMENT "Making the test kit ${DORVA_KIT_ZIP}"
    VERBATIM)
add_dependencies(windows_kit DorvaNT ${kit_targets})

# The kit run as a user runs it: unpacked on C: of a prefix of its own and
# started with "cmd /c run-tests.cmd", on a display of its own, so that it
# runs beside the other tests; the longest of them, it starts first.
add_test(NAME win.kit_runner
    COMMAND bash ${CMAKE_SOURCE_DIR}/tools/run-kit.sh ${DORVA_WINE_ARCH} ${CMAKE_BINARY_DIR}/wineprefix-kit ${DORVA_KIT_ZIP})
set_tests_properties(win.kit_runner PROPERTIES TIMEOUT 900 COST 1000 LABELS win)
