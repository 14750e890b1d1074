# corvanite_e2e_gui (gui_e2e.sh): the window program with a scripted scan and a frame trace. Objects
# come before the libraries on the link line: the probe and the empty hook are not taken from them.
set(data "${CMAKE_CURRENT_LIST_DIR}/../data/ata-smart")
if(WIN32)  # the program's own resources (the manifest makes it DPI aware)
    add_executable(corvanite_e2e_gui WIN32 ${PROJECT_SOURCE_DIR}/src/app/main_win32.cpp
                   ${PROJECT_BINARY_DIR}/src/app/corvanite.rc)
    target_link_options(corvanite_e2e_gui PRIVATE -municode)
    set(libs comctl32 comdlg32 gdi32 user32)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
    add_executable(corvanite_e2e_gui ${PROJECT_SOURCE_DIR}/src/app/main_gtk.cpp)
    set(libs PkgConfig::GTK3)
endif()
target_sources(corvanite_e2e_gui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/scripted_drives.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/frame_trace.cpp)
target_link_libraries(corvanite_e2e_gui PRIVATE corvanite_sample_drives ${CORVANITE_PROGRAM_LIBS}
                                                ${libs} corvanite_program_options)
target_compile_definitions(corvanite_e2e_gui PRIVATE CORVANITE_E2E_DATA="${Z}${data}")
