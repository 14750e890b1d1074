# host: what the program asks of the system it runs on: messages to the window, repaints,
# threads, ending the process; and how a seam's table of functions is installed.
set(CORVANITE_HOST_PORTABLE host/host.cpp)
set(CORVANITE_HOST_WIN32 host/host_win32.cpp)
set(CORVANITE_HOST_LINUX host/host_linux.cpp)
