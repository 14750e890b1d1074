# Volume-check tests: the rules and the worker over the scripted child in corvanite_tests; the
# worker through the stand-in checker, a real child, in corvanite_platform_tests.
target_sources(corvanite_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_volume_check.cpp)
target_sources(corvanite_platform_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_chkdsk_child.cpp)
# The stand-in, started as chkdsk.exe here, in the end-to-end runs and in the benchmark.
add_executable(corvanite_fake_chkdsk ${CMAKE_CURRENT_LIST_DIR}/fake_chkdsk.cpp)
target_link_libraries(corvanite_fake_chkdsk PRIVATE corvanite_options)
add_dependencies(corvanite_platform_tests corvanite_fake_chkdsk)
target_compile_definitions(corvanite_platform_tests PRIVATE
    CORVANITE_FAKE_CHKDSK="$<$<BOOL:${CMAKE_CROSSCOMPILING}>:Z:>$<TARGET_FILE:corvanite_fake_chkdsk>")
