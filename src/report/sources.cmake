# report: the report text and the report file per platform.
set(CORVANITE_REPORT_PORTABLE report/text_report.cpp report/json_report.cpp
    report/exit_status.cpp report/report_file.cpp)
set(CORVANITE_REPORT_WIN32 report/report_file_win32.cpp)
set(CORVANITE_REPORT_LINUX report/report_file_posix.cpp)
