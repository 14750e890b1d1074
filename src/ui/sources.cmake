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
set(CORVANITE_UI_WIN32
    ${CMAKE_CURRENT_LIST_DIR}/render_gdi.cpp
)
set(CORVANITE_UI_LINUX
    ${CMAKE_CURRENT_LIST_DIR}/render_cairo.cpp
)
set(CORVANITE_UI_PLATFORM_LIBS)
# The renderers' libraries: GDI and USER on Windows; Cairo and Pango (fontconfig faces) on Linux.
if(WIN32)
    list(APPEND CORVANITE_UI_PLATFORM_LIBS gdi32 user32)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(CORVANITE_CAIRO REQUIRED IMPORTED_TARGET cairo pangocairo)
    list(APPEND CORVANITE_UI_PLATFORM_LIBS PkgConfig::CORVANITE_CAIRO)
endif()
