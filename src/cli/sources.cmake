# cli: corvanite-report, the command-line program (its entry points main_win32.cpp and
# main_posix.cpp are the executable's, src/cli/CMakeLists.txt); the standard streams per platform.
set(CORVANITE_CLI_PORTABLE cli/report_tool.cpp)
set(CORVANITE_CLI_WIN32 cli/standard_streams_win32.cpp)
set(CORVANITE_CLI_LINUX cli/standard_streams_posix.cpp)
