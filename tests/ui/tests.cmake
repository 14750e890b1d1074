# Golden frames of window states, and one pixel suite on this platform's renderer (Cairo, or GDI).
target_sources(corvanite_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_frames.cpp)
target_sources(corvanite_platform_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_render_pixels.cpp
    ${CMAKE_CURRENT_LIST_DIR}/render_pixels_$<IF:$<BOOL:${WIN32}>,gdi,cairo>.cpp)
