# At install time: the EXIT STATUS entries of corvanite-report's manual page, made from the
# program's --help, which prints its tables of exit statuses (src/report/exit_status.h): the
# report's, then --self-test's, each under its heading line.
# In: CORVANITE_REPORT, the built program. Out: CORVANITE_EXIT_STATUSES, the page's lines.
execute_process(COMMAND "${CORVANITE_REPORT}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(status OR NOT help MATCHES "\nExit status of a report:\n")
    message(FATAL_ERROR "corvanite-report --help printed no exit statuses")
endif()
string(REGEX REPLACE ".*\nExit status of a report:\n" "" help "${help}")
string(REGEX REPLACE "\n(Exit status of --self-test):\n" "\n.PP\n\\1:\n" help "${help}")
string(REGEX REPLACE "  ([0-9]+) +([^\n]*)\n" ".TP\n.B \\1\n\\2\n" CORVANITE_EXIT_STATUSES
       "${help}")
string(STRIP "${CORVANITE_EXIT_STATUSES}" CORVANITE_EXIT_STATUSES)
