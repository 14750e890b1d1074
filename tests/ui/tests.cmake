# Display tests: target_sources(corvanite_tests ...) and (corvanite_platform_tests ...).
# The drawers and the frame, checked on the display list and the button registry.
target_sources(corvanite_tests PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/test_title_status_bars.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_drive_list.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_tab_bar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_smart_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_disk_info_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_scan_repair_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_frame.cpp
)
# The renderers' pixels: one set of checks, run against Cairo natively and GDI under Wine.
target_sources(corvanite_platform_tests PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/test_render_pixels.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_render_frame_pixels.cpp
)
if(WIN32)
    target_sources(corvanite_platform_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/render_pixels_gdi.cpp)
else()
    target_sources(corvanite_platform_tests PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/render_pixels_cairo.cpp)
endif()
