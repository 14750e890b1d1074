# The frames of a set of states against their golden text, with the sample drives' real pages.
target_sources(corvanite_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_frames.cpp)
target_link_libraries(corvanite_tests PRIVATE corvanite_sample_drives)
# The renderers' pixels: one set of checks, run against Cairo natively and GDI under Wine.
if(WIN32)
    set(CORVANITE_RENDER_PIXELS render_pixels_gdi.cpp)
else()
    set(CORVANITE_RENDER_PIXELS render_pixels_cairo.cpp)
endif()
target_sources(corvanite_platform_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/test_render_pixels.cpp
                                                ${CMAKE_CURRENT_LIST_DIR}/${CORVANITE_RENDER_PIXELS})
