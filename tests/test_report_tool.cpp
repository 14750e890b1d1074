// corvanite-report over a fixed drive list: a table of (health grades, arguments, failures) and
// what the tool printed, wrote and returned; and the report of unusual records, whole.
#include <gtest/gtest.h>

#include <fstream>

#include "fake_host.h"
#include "report/report_file.h"
#include "report/text_report.h"
#include "report_tool.h"
#include "test_data.h"
#include "text/utf.h"

namespace corvanite {
namespace {

std::vector<DriveInfo> drives;
std::string out, err;
bool outFails = false;

ReportToolHost Host(std::string_view lineEnd) {
    return ReportToolHost{
        [] { return drives; }, [](std::string_view b) { return out.append(b), !outFails; },
        [](std::string_view b) { return err.append(b), true; }, WriteReportFile, lineEnd};
}

std::string Escaped(std::string_view text) {
    std::string e;
    for (const char c : text.substr(0, 70)) {
        e += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    }
    return e + (text.size() > 70 ? "...(" + std::to_string(text.size()) + ")" : "");
}

// "GRADES | ARGS | FLAGS": grades G W C U or 9 (an out-of-range value), one drive each; args
// ('' an empty one); flags crlf, filefail, outfail. Gives the exit status, standard output and
// error, and the file written.
TEST(ReportTool, Cases) {
    test::CheckTable("cases/report-tool.txt", [](const std::string& input) {
        const std::vector<std::string> f = test::Words(input + "|", '|');
        drives.clear();
        for (const char g : f.at(0)) {
            drives.push_back(StartDriveRecord(static_cast<int>(drives.size())));
            drives.back().health = g == 'G'   ? HEALTH_GOOD
                                   : g == 'W' ? HEALTH_WARN
                                   : g == 'C' ? HEALTH_CRIT
                                   : g == 'U' ? HEALTH_UNKNOWN
                                              : 9;
        }
        std::vector<std::u16string> args;
        for (const std::string& a : test::Words(f.at(1))) {
            args.push_back(a == "''" ? u"" : Utf8ToUtf16(a));
        }
        out.clear();
        err.clear();
        test::ResetHost();
        test::ReportFile().fail = f.at(2).find("filefail") != std::string::npos;
        outFails = f[2].find("outfail") != std::string::npos;
        const bool crlf = f[2].find("crlf") != std::string::npos;
        const int status = RunReportTool(args, Host(crlf ? "\r\n" : "\n"));
        if (f[1].find("--json") != std::string::npos && status == 1) {  // for the schema test
            std::ofstream(CORVANITE_JSON_OUTPUT "/report-tool.json", std::ios::binary)
                << (out.rfind('{', 0) == 0 ? out : test::ReportFile().bytes);
        }
        return std::to_string(status) + " | " + Escaped(out) + " | " + Escaped(err) + " | " +
               Utf16ToUtf8(test::ReportFile().path) + " " + Escaped(test::ReportFile().bytes);
    });
}

// Records the probe does not give: temperature 0, an unknown grade, a long row name, texts in
// several scripts; written by the tool as it writes standard output.
TEST(ReportTool, UnusualRecordsMatchTheGolden) {
    DriveInfo odd = StartDriveRecord(3);
    odd.model.Set(u"Disque \u00E9t\u00E9 \u65E5\u672C \U0001F4BE");
    odd.temperatureC = 0;
    odd.health = 77;
    odd.errorText.Set(u"cannot open the drive (error 5): run as administrator");
    SmartAttribute row;
    row.id = 0xBB;
    row.name.Set(u"A name that is longer than thirty-two units");
    row.current = 5;
    row.worst = 255;
    row.raw = {1, 2, 3, 4, 5, 6};
    row.failing = true;
    odd.attributes.push_back(row);
    DriveInfo hot = StartDriveRecord(4);
    hot.temperatureC = 66;
    drives = {odd, hot};
    out.clear();
    outFails = false;
    EXPECT_EQ(RunReportTool({}, Host("\n")), 3);
    test::CheckGolden("report-unusual.txt", out + Utf16ToUtf8(ReportText({})));
}

}  // namespace
}  // namespace corvanite
