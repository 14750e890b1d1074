# Volume check: portable logic, and the child process per platform.
set(CORVANITE_VOLUME_CHECK_CORE
    ${CMAKE_CURRENT_LIST_DIR}/chkdsk_outcome.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chkdsk_command.cpp
    ${CMAKE_CURRENT_LIST_DIR}/line_assembler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chkdsk_worker.cpp
)
set(CORVANITE_VOLUME_CHECK_WIN32 ${CMAKE_CURRENT_LIST_DIR}/child_win32.cpp)
set(CORVANITE_VOLUME_CHECK_POSIX ${CMAKE_CURRENT_LIST_DIR}/child_posix.cpp)
