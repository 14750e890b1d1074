# Volume-check tests: target_sources(corvanite_tests ...) and (corvanite_platform_tests ...).
set(CORVANITE_VOLUME_CHECK_TESTS ${CMAKE_CURRENT_LIST_DIR})

# The worker's rules with a scripted child in place of the platform's.
target_sources(corvanite_tests PRIVATE
    ${CORVANITE_VOLUME_CHECK_TESTS}/fake_child.cpp
    ${CORVANITE_VOLUME_CHECK_TESTS}/test_chkdsk_outcome.cpp
    ${CORVANITE_VOLUME_CHECK_TESTS}/test_line_assembler.cpp
    ${CORVANITE_VOLUME_CHECK_TESTS}/test_chkdsk_worker.cpp
)

# A stand-in for the volume checker, run by the worker as chkdsk.exe in the end-to-end tests.
if(WIN32)
    set(CORVANITE_FAKE_CHKDSK_IO ${CORVANITE_VOLUME_CHECK_TESTS}/fake_chkdsk_win32.cpp)
    set(CORVANITE_CHILD_HARNESS
        ${CORVANITE_VOLUME_CHECK_TESTS}/child_harness_win32.cpp
        ${CORVANITE_VOLUME_CHECK_TESTS}/test_chkdsk_child_win32.cpp)
else()
    set(CORVANITE_FAKE_CHKDSK_IO ${CORVANITE_VOLUME_CHECK_TESTS}/fake_chkdsk_posix.cpp)
    set(CORVANITE_CHILD_HARNESS
        ${CORVANITE_VOLUME_CHECK_TESTS}/child_harness_posix.cpp
        ${CORVANITE_VOLUME_CHECK_TESTS}/test_chkdsk_child_posix.cpp)
endif()
add_executable(corvanite_fake_chkdsk
    ${CORVANITE_VOLUME_CHECK_TESTS}/fake_chkdsk.cpp
    ${CORVANITE_FAKE_CHKDSK_IO}
)
target_link_libraries(corvanite_fake_chkdsk PRIVATE corvanite_options)

# The worker end to end, through the stand-in and this platform's window host.
target_sources(corvanite_platform_tests PRIVATE
    ${CORVANITE_VOLUME_CHECK_TESTS}/test_chkdsk_child.cpp
    ${CORVANITE_CHILD_HARNESS}
)
add_dependencies(corvanite_platform_tests corvanite_fake_chkdsk)
if(CMAKE_CROSSCOMPILING)
    # Wine sees the Linux file system as drive Z:.
    set(CORVANITE_FAKE_CHKDSK_PATH "Z:$<TARGET_FILE:corvanite_fake_chkdsk>")
else()
    set(CORVANITE_FAKE_CHKDSK_PATH "$<TARGET_FILE:corvanite_fake_chkdsk>")
endif()
target_compile_definitions(corvanite_platform_tests PRIVATE
    CORVANITE_FAKE_CHKDSK="${CORVANITE_FAKE_CHKDSK_PATH}")
