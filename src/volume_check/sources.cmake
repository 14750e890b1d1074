# volume_check: outcome rule, output lines, the worker; the checker child per platform.
set(CORVANITE_VOLUME_CHECK_PORTABLE
    volume_check/chkdsk_outcome.cpp
    volume_check/chkdsk_command.cpp
    volume_check/line_assembler.cpp
    volume_check/chkdsk_worker.cpp
)
set(CORVANITE_VOLUME_CHECK_WIN32 volume_check/child_win32.cpp)
set(CORVANITE_VOLUME_CHECK_LINUX volume_check/child_posix.cpp)
