# corvanite_e2e_gui (gui_e2e.sh): the window program with a recorded machine as its drives (the
# sample machine's trace unless `--replay TRACE` names another) and a frame trace, both installed
# by its own entry point (e2e_main.cpp).
set(data "${CMAKE_CURRENT_LIST_DIR}/../data/traces/sample-machine.jsonl")
add_executable(corvanite_e2e_gui ${CMAKE_CURRENT_LIST_DIR}/e2e_main.cpp
               ${CMAKE_CURRENT_LIST_DIR}/frame_trace.cpp)
if(WIN32)  # the program's own resources (the manifest makes it DPI aware)
    set_target_properties(corvanite_e2e_gui PROPERTIES WIN32_EXECUTABLE ON)
    target_sources(corvanite_e2e_gui PRIVATE ${PROJECT_BINARY_DIR}/src/app/corvanite.rc)
    target_link_options(corvanite_e2e_gui PRIVATE -municode)
    target_link_libraries(corvanite_e2e_gui PRIVATE shell32)  # CommandLineToArgvW
endif()
target_link_libraries(corvanite_e2e_gui PRIVATE corvanite_window corvanite_sample_drives
                                                corvanite_program_options)
target_compile_definitions(corvanite_e2e_gui PRIVATE CORVANITE_E2E_MACHINE="${Z}${data}")
