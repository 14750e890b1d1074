# Volume-check tests: the rules and the worker over a scripted child in corvanite_tests; the
# worker through the stand-in checker, a real child on this platform, in corvanite_platform_tests.
set(CORVANITE_VOLUME_CHECK_TESTS ${CMAKE_CURRENT_LIST_DIR})
target_sources(corvanite_tests PRIVATE ${CORVANITE_VOLUME_CHECK_TESTS}/fake_child.cpp
                                       ${CORVANITE_VOLUME_CHECK_TESTS}/test_volume_check.cpp)

# The stand-in, started as chkdsk.exe here, in the end-to-end runs and in the benchmark.
if(WIN32)
    set(CORVANITE_STAND_IN ${CORVANITE_VOLUME_CHECK_TESTS}/stand_in_win32.cpp)
else()
    set(CORVANITE_STAND_IN ${CORVANITE_VOLUME_CHECK_TESTS}/stand_in_posix.cpp)
endif()
add_executable(corvanite_fake_chkdsk
    ${CORVANITE_VOLUME_CHECK_TESTS}/fake_chkdsk.cpp ${CORVANITE_STAND_IN})
target_link_libraries(corvanite_fake_chkdsk PRIVATE corvanite_options)

target_sources(corvanite_platform_tests PRIVATE
    ${CORVANITE_VOLUME_CHECK_TESTS}/test_chkdsk_child.cpp ${CORVANITE_STAND_IN})
add_dependencies(corvanite_platform_tests corvanite_fake_chkdsk)
# Wine sees the Linux file system as drive Z:.
set(CORVANITE_FAKE_CHKDSK_DRIVE "$<$<BOOL:${CMAKE_CROSSCOMPILING}>:Z:>")
target_compile_definitions(corvanite_platform_tests PRIVATE
    CORVANITE_FAKE_CHKDSK="${CORVANITE_FAKE_CHKDSK_DRIVE}$<TARGET_FILE:corvanite_fake_chkdsk>")
