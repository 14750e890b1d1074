// corvanite-report's entry point on POSIX systems: the arguments from UTF-8.
#include "cli/report_tool.h"
#include "text/utf.h"

int main(int argc, char** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(corvanite::Utf8ToUtf16(argv[i]));
    }
    return corvanite::RunReportTool(args);
}
