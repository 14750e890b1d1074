# ui: palette, display list and primitives, buttons, region drawers and frame; the renderer per
# platform (GDI and USER on Windows; Cairo and Pango through fontconfig on Linux).
set(CORVANITE_UI_PORTABLE
    ui/palette.cpp
    ui/primitives.cpp
    ui/display_scale.cpp
    ui/buttons.cpp
    ui/title_bar.cpp
    ui/status_bar.cpp
    ui/drive_list.cpp
    ui/tab_bar.cpp
    ui/smart_view.cpp
    ui/disk_info_view.cpp
    ui/scan_repair_view.cpp
    ui/self_test_view.cpp
    ui/frame.cpp
)
set(CORVANITE_UI_WIN32 ui/render_gdi.cpp)
set(CORVANITE_UI_LINUX ui/render_cairo.cpp)
if(WIN32)
    set(CORVANITE_UI_OS_LIBS gdi32 user32)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(CORVANITE_CAIRO REQUIRED IMPORTED_TARGET cairo pangocairo)
    set(CORVANITE_UI_OS_LIBS PkgConfig::CORVANITE_CAIRO)
endif()
