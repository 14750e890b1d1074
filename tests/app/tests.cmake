# Application shell tests.
target_sources(corvanite_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_scan_worker.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/test_input.cpp)
target_sources(corvanite_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_window_frame.cpp)

# Closing the window during a flooding check (run under the sanitizer presets to mean something).
if(NOT WIN32)
    add_executable(corvanite_exit_during_check ${CMAKE_CURRENT_LIST_DIR}/exit_during_check.cpp)
    target_link_libraries(corvanite_exit_during_check PRIVATE ${CORVANITE_PROGRAM_LIBS}
                                                              corvanite_options)
    target_compile_definitions(corvanite_exit_during_check PRIVATE
        CORVANITE_FAKE_CHKDSK="$<TARGET_FILE:corvanite_fake_chkdsk>")
    add_dependencies(corvanite_exit_during_check corvanite_fake_chkdsk)
    add_test(NAME corvanite_exit_during_check COMMAND corvanite_exit_during_check)
endif()
