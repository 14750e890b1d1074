// corvanite-report's entry point on Windows: the arguments as UTF-16.
#include <string_view>

#include "cli/report_tool.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view arg(argv[i]);
        args.emplace_back(arg.begin(), arg.end());
    }
    return corvanite::RunReportTool(args);
}
