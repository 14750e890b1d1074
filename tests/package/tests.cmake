# Packaging checks of the Windows build: the shipped executables import only DLLs that every
# Windows (WinPE included) has, and corvanite.exe embeds its manifest. Runs on Linux with the
# cross toolchain's objdump (no Wine needed).
if(WIN32 AND CMAKE_CROSSCOMPILING)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    add_test(NAME corvanite_windows_exe_imports_and_manifest
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/check_windows_exe.py
                --objdump ${CMAKE_OBJDUMP}
                --manifest $<TARGET_FILE:corvanite>
                $<TARGET_FILE:corvanite-report>)
endif()
