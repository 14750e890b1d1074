# End-to-end window tests (tests/e2e/gui_e2e.sh, run by scripts/test under Xvfb).
#
# corvanite_e2e_gui: the GUI program built from the same entry point (main_gtk.cpp on Linux,
# main_win32.cpp with the same manifest for Windows), with the drive layer replaced by a scripted
# one (scripted_drives.cpp) that answers with captured SMART pages. The object given on the link
# line defines every device-access function, so the linker never takes the platform's device
# layer (device_linux.o, device_win32.obj) out of corvanite_drives_os; if it did, the duplicate
# definitions would stop the link.
if(CMAKE_CROSSCOMPILING)
    # Wine sees the Linux file system as drive Z:.
    set(CORVANITE_E2E_DATA "Z:${CMAKE_CURRENT_LIST_DIR}/../data/ata-smart")
else()
    set(CORVANITE_E2E_DATA "${CMAKE_CURRENT_LIST_DIR}/../data/ata-smart")
endif()
if(WIN32)
    enable_language(RC)
    set(CORVANITE_NAME corvanite_e2e_gui)
    set(CORVANITE_DESCRIPTION "Corvanite disk health (scripted drives, for tests)")
    set(CORVANITE_MANIFEST ${PROJECT_SOURCE_DIR}/src/app/resources/corvanite.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/src/app/resources/corvanite.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/corvanite_e2e_gui.rc @ONLY)
    add_executable(corvanite_e2e_gui WIN32
        ${PROJECT_SOURCE_DIR}/src/app/main_win32.cpp
        ${CMAKE_CURRENT_LIST_DIR}/scripted_drives.cpp
        ${CMAKE_CURRENT_BINARY_DIR}/corvanite_e2e_gui.rc
    )
    target_link_options(corvanite_e2e_gui PRIVATE -municode)
    target_link_libraries(corvanite_e2e_gui PRIVATE corvanite_sample_drives ${CORVANITE_PROGRAM_LIBS}
                                                    comctl32
                                                    comdlg32 gdi32 user32
                                                    corvanite_program_options)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
    add_executable(corvanite_e2e_gui
        ${PROJECT_SOURCE_DIR}/src/app/main_gtk.cpp
        ${CMAKE_CURRENT_LIST_DIR}/scripted_drives.cpp
    )
    target_link_libraries(corvanite_e2e_gui PRIVATE corvanite_sample_drives ${CORVANITE_PROGRAM_LIBS}
                                                    
                                                    PkgConfig::GTK3 corvanite_program_options)
endif()
target_compile_definitions(corvanite_e2e_gui PRIVATE CORVANITE_E2E_DATA="${CORVANITE_E2E_DATA}")
