# Volume check: portable logic, and the child process per platform.
set(CORVANITE_VOLUME_CHECK_CORE)
set(CORVANITE_VOLUME_CHECK_WIN32)
set(CORVANITE_VOLUME_CHECK_POSIX)
