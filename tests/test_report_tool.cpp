#include <gtest/gtest.h>

#include <fstream>

#include "report_tool.h"

namespace corvanite {
namespace {

struct Captured {
    std::vector<DriveInfo> drives;
    std::string out;
    std::string err;
    std::u16string filePath;
    std::string fileBytes;
    bool fileFails = false;
    bool outFails = false;
    int probes = 0;
};
Captured captured;

ReportToolHost Host(std::string_view lineEnd = "\n") {
    return ReportToolHost{
        [] {
            ++captured.probes;
            return captured.drives;
        },
        [](std::string_view b) {
            captured.out.append(b);
            return !captured.outFails;
        },
        [](std::string_view b) {
            captured.err.append(b);
            return true;
        },
        [](std::u16string_view path, std::string_view bytes, std::u16string& reason) {
            captured.filePath = path;
            if (captured.fileFails) {
                reason = u"Permission denied";
                return false;
            }
            captured.fileBytes = bytes;
            return true;
        },
        lineEnd};
}

DriveInfo Graded(HealthStatus health) {
    DriveInfo d = StartDriveRecord(0);
    d.health = health;
    return d;
}

class ReportToolTest : public ::testing::Test {
protected:
    void SetUp() override { captured = Captured(); }
};

TEST_F(ReportToolTest, ExitStatusTellsTheWorstHealth) {
    EXPECT_EQ(ReportExitStatus({}), 4);
    EXPECT_EQ(ReportExitStatus({Graded(HEALTH_GOOD), Graded(HEALTH_GOOD)}), 0);
    EXPECT_EQ(ReportExitStatus({Graded(HEALTH_GOOD), Graded(HEALTH_WARN)}), 1);
    EXPECT_EQ(ReportExitStatus({Graded(HEALTH_UNKNOWN), Graded(HEALTH_WARN)}), 1);
    EXPECT_EQ(ReportExitStatus({Graded(HEALTH_WARN), Graded(HEALTH_CRIT), Graded(HEALTH_UNKNOWN)}),
              2);
    EXPECT_EQ(ReportExitStatus({Graded(HEALTH_GOOD), Graded(HEALTH_UNKNOWN)}), 3);
    EXPECT_EQ(ReportExitStatus({Graded(9)}), 3);  // any other value reads as N/A
}

TEST_F(ReportToolTest, StandardOutputGetsTheLinesWithThePlatformLineEnd) {
    captured.drives = {Graded(HEALTH_WARN)};
    EXPECT_EQ(RunReportTool({}, Host("\n")), 1);
    EXPECT_EQ(
        captured.out.rfind("Corvanite Report\n================\n\nDrive 0: PhysicalDrive0\n", 0),
        0u);
    EXPECT_EQ(captured.out.find('\r'), std::string::npos);
    EXPECT_EQ(captured.out.find("\xEF\xBB\xBF"), std::string::npos);

    captured.out.clear();
    EXPECT_EQ(RunReportTool({}, Host("\r\n")), 1);
    EXPECT_EQ(captured.out.rfind("Corvanite Report\r\n================\r\n\r\n", 0), 0u);
    EXPECT_EQ(captured.out.find("\r\r"), std::string::npos);
}

TEST_F(ReportToolTest, FileGetsTheReportFileBytes) {
    captured.drives = {Graded(HEALTH_CRIT)};
    EXPECT_EQ(RunReportTool({u"r\u00E9port.txt"}, Host()), 2);
    EXPECT_EQ(captured.filePath, u"r\u00E9port.txt");
    EXPECT_EQ(captured.fileBytes.rfind("\xEF\xBB\xBF"
                                       "Corvanite Report\r\n",
                                       0),
              0u);
    EXPECT_EQ(captured.out, "Report written to r\xC3\xA9port.txt: 1 drive\n");
    // "--" ends the options: a file name may begin with a dash.
    EXPECT_EQ(RunReportTool({u"--", u"-odd"}, Host()), 2);
    EXPECT_EQ(captured.filePath, u"-odd");
    // "-" alone is a file name too.
    EXPECT_EQ(RunReportTool({u"-"}, Host()), 2);
    EXPECT_EQ(captured.filePath, u"-");
}

TEST_F(ReportToolTest, NoDriveStillWritesTheReport) {
    EXPECT_EQ(RunReportTool({}, Host()), 4);
    EXPECT_EQ(captured.out, "Corvanite Report\n================\n\n");
}

TEST_F(ReportToolTest, WriteFailuresAreTold) {
    captured.drives = {Graded(HEALTH_GOOD)};
    captured.fileFails = true;
    EXPECT_EQ(RunReportTool({u"/ro/report.txt"}, Host()), 73);
    EXPECT_EQ(captured.err, "corvanite-report: cannot write /ro/report.txt: Permission denied\n");
    EXPECT_TRUE(captured.out.empty());

    captured.err.clear();
    captured.outFails = true;
    EXPECT_EQ(RunReportTool({}, Host()), 73);
    EXPECT_NE(captured.err.find("standard output"), std::string::npos);
}

TEST_F(ReportToolTest, JsonGoesToStandardOutputOrTheFileWithTheSameBytes) {
    captured.drives = {Graded(HEALTH_WARN), Graded(HEALTH_UNKNOWN)};
    EXPECT_EQ(RunReportTool({u"--json"}, Host("\r\n")), 1);
    const std::string json = captured.out;
    EXPECT_EQ(json.rfind("{\n  \"format_version\": 1,\n", 0), 0u);
    EXPECT_EQ(json.find('\r'), std::string::npos);
    EXPECT_EQ(RunReportTool({u"r.json", u"--json"}, Host()), 1);
    EXPECT_EQ(captured.fileBytes, json);
    EXPECT_EQ(captured.out, json + "Report written to r.json: 2 drives\n");
    captured.fileFails = true;
    EXPECT_EQ(RunReportTool({u"--json", u"/ro/r.json"}, Host()), 73);
    EXPECT_EQ(captured.err, "corvanite-report: cannot write /ro/r.json: Permission denied\n");
    // For the schema test (report_json_schema), which reads every document of this folder.
    std::ofstream(CORVANITE_JSON_OUTPUT "/report-tool.json", std::ios::binary) << json;
}

TEST_F(ReportToolTest, HelpAndUsageErrors) {
    EXPECT_EQ(RunReportTool({u"--help"}, Host()), 0);
    EXPECT_NE(captured.out.find("Usage: corvanite-report [--json] [FILE]"), std::string::npos);
    EXPECT_NE(captured.out.find("  73  the report file cannot be written"), std::string::npos);
    EXPECT_EQ(captured.probes, 0);

    captured.out.clear();
    EXPECT_EQ(RunReportTool({u"-h"}, Host("\r\n")), 0);
    EXPECT_NE(captured.out.find("Exit status:\r\n  0   every drive is GOOD\r\n"),
              std::string::npos);

    EXPECT_EQ(RunReportTool({u"--frobnicate"}, Host()), 64);
    EXPECT_EQ(captured.err,
              "corvanite-report: unknown option '--frobnicate'\nTry 'corvanite-report --help'.\n");
    EXPECT_EQ(RunReportTool({u"a.txt", u"b.txt"}, Host()), 64);
    EXPECT_EQ(RunReportTool({u""}, Host()), 64);
    EXPECT_EQ(captured.probes, 0);
    EXPECT_TRUE(captured.filePath.empty());
}

}  // namespace
}  // namespace corvanite
