# Application shell tests.
target_sources(corvanite_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_scan_worker.cpp)
target_sources(corvanite_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_input.cpp)
target_sources(corvanite_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_window_frame.cpp)
