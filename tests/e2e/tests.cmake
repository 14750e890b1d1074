# corvanite_e2e_gui (gui_e2e.sh): the window program with scripted drives (scripted_drives.cpp)
# and a frame hook that traces what the window shows (frame_trace.cpp). Objects on the link line
# come before the libraries, so the device layer and the empty hook are never taken from them.
set(CORVANITE_E2E_DATA "${CMAKE_CURRENT_LIST_DIR}/../data/ata-smart")
set(CORVANITE_E2E_SOURCES ${CMAKE_CURRENT_LIST_DIR}/scripted_drives.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/frame_trace.cpp)
if(WIN32)
    enable_language(RC)
    set(CORVANITE_E2E_DATA "Z:${CORVANITE_E2E_DATA}")  # Wine sees the Linux root as drive Z:
    set(CORVANITE_NAME corvanite_e2e_gui)
    set(CORVANITE_DESCRIPTION "Corvanite disk health (scripted drives, for tests)")
    set(CORVANITE_MANIFEST ${PROJECT_SOURCE_DIR}/src/app/resources/corvanite.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/src/app/resources/corvanite.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/corvanite_e2e_gui.rc @ONLY)
    add_executable(corvanite_e2e_gui WIN32 ${PROJECT_SOURCE_DIR}/src/app/main_win32.cpp
                   ${CORVANITE_E2E_SOURCES} ${CMAKE_CURRENT_BINARY_DIR}/corvanite_e2e_gui.rc)
    target_link_options(corvanite_e2e_gui PRIVATE -municode)
    set(CORVANITE_E2E_LIBS comctl32 comdlg32 gdi32 user32)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
    add_executable(corvanite_e2e_gui ${PROJECT_SOURCE_DIR}/src/app/main_gtk.cpp
                   ${CORVANITE_E2E_SOURCES})
    set(CORVANITE_E2E_LIBS PkgConfig::GTK3)
endif()
target_link_libraries(corvanite_e2e_gui PRIVATE corvanite_sample_drives ${CORVANITE_PROGRAM_LIBS}
                                                ${CORVANITE_E2E_LIBS} corvanite_program_options)
target_compile_definitions(corvanite_e2e_gui PRIVATE CORVANITE_E2E_DATA="${CORVANITE_E2E_DATA}")
