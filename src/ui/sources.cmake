# Display: palette, primitives, buttons, drawers and frame (portable); renderers per platform.
set(CORVANITE_UI_CORE
    ${CMAKE_CURRENT_LIST_DIR}/title_bar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/status_bar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/drive_list.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tab_bar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/smart_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/disk_info_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scan_repair_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame.cpp
)
set(CORVANITE_UI_WIN32)
set(CORVANITE_UI_LINUX)
set(CORVANITE_UI_PLATFORM_LIBS)
