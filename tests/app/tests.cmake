# Application shell tests.
target_sources(corvanite_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_scan_worker.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/test_input.cpp)
