#include <gtest/gtest.h>

#include "report/text_report.h"
#include "text/utf.h"

namespace corvanite {
namespace {

SmartAttribute Attr(uint8_t id, const char16_t* name, uint8_t cur, uint8_t wst, uint8_t thr,
                    std::array<uint8_t, 6> raw, bool failing = false, bool warning = false) {
    SmartAttribute a;
    a.id = id;
    a.name.Set(name);
    a.current = cur;
    a.worst = wst;
    a.threshold = thr;
    a.raw = raw;
    a.failing = failing;
    a.warning = warning;
    return a;
}

std::string Utf8(const std::u16string& s) {
    return Utf16ToUtf8(s);
}

TEST(TextReport, EmptyListIsTheTitleBlockOnly) {
    const std::string bytes = ReportFileBytes({});
    EXPECT_EQ(bytes,
              "\xEF\xBB\xBF"
              "Corvanite Report\r\n================\r\n\r\n");
    EXPECT_EQ(bytes.size(), 41u);
}

TEST(TextReport, DriveBlockLineByLine) {
    DriveInfo d = StartDriveRecord(0);
    d.model.Set(u"Samsung SSD 860 EVO 500GB");
    d.serial.Set(u"S3Z1NB0K123456A");
    d.sizeBytes = 500107862016;
    d.busName.Set(u"SATA");
    d.health = HEALTH_WARN;
    d.healthDetails.Set(u"WARNING -- Monitor this drive closely");
    d.temperatureC = 34;
    d.attributes.push_back(Attr(9, u"Power-On Hours", 99, 99, 0, {0x10, 0x27, 0, 0, 0, 0}));
    d.attributes.push_back(Attr(194, u"Temperature", 66, 5, 0, {34, 0, 0, 0, 0, 0}));
    d.attributes.push_back(
        Attr(5, u"Reallocated Sectors Count", 100, 100, 10, {1, 2, 3, 4, 5, 6}, false, true));
    d.attributes.push_back(
        Attr(10, u"Spin Retry Count", 212, 210, 223, {0, 0, 0, 0, 0, 0}, true, false));

    const std::string expected =
        "Corvanite Report\r\n"
        "================\r\n"
        "\r\n"
        "Drive 0: Samsung SSD 860 EVO 500GB\r\n"
        "  Serial : S3Z1NB0K123456A\r\n"
        "  Size   : 500.1 GB\r\n"
        "  Bus    : SATA\r\n"
        "  Health : WARN  WARNING -- Monitor this drive closely\r\n"
        "  Temp   : 34 C\r\n"
        "\r\n"
        "  SMART ATTRIBUTES:\r\n"
        "  ID   Name                          CUR  WST  THR  RAW VALUE         STATUS\r\n"
        "  09   Power-On Hours                     99   99    0  10000               OK\r\n"
        "  C2   Temperature                        66    5    0  34                  OK\r\n"
        "  05   Reallocated Sectors Count         100  100   10  6618611909121       WARN\r\n"
        "  0A   Spin Retry Count                  212  210  223  0                   FAIL\r\n"
        "\r\n";
    EXPECT_EQ(Utf8(ReportText({d})), expected);
}

TEST(TextReport, ColumnsOfHeaderAndRows) {
    DriveInfo d = StartDriveRecord(3);
    d.attributes.push_back(Attr(0xBB, u"Uncorrectable Error Count", 5, 255, 0, {}, false, false));
    const std::u16string text = ReportText({d});
    const size_t header = text.find(u"  ID   Name");
    ASSERT_NE(header, std::u16string::npos);
    const std::u16string_view line(text.data() + header, text.find(u"\r\n", header) - header);
    EXPECT_EQ(line.find(u"ID"), 2u);
    EXPECT_EQ(line.find(u"Name"), 7u);
    EXPECT_EQ(line.find(u"CUR"), 37u);
    EXPECT_EQ(line.find(u"WST"), 42u);
    EXPECT_EQ(line.find(u"THR"), 47u);
    EXPECT_EQ(line.find(u"RAW VALUE"), 52u);
    EXPECT_EQ(line.find(u"STATUS"), 70u);

    const size_t rowStart = text.find(u"  BB   ");
    ASSERT_NE(rowStart, std::u16string::npos);
    const std::u16string_view row(text.data() + rowStart, text.find(u"\r\n", rowStart) - rowStart);
    EXPECT_EQ(row.substr(41, 3), u"  5");
    EXPECT_EQ(row.substr(46, 3), u"255");
    EXPECT_EQ(row.substr(51, 3), u"  0");
    EXPECT_EQ(row.substr(56, 18), u"0                 ");
    EXPECT_EQ(row.substr(76), u"OK");
}

TEST(TextReport, OptionalAndEmptyParts) {
    DriveInfo none = StartDriveRecord(1);  // never read: start model, empty serial and bus
    none.health = HEALTH_UNKNOWN;
    none.healthDetails.Set(u"SMART data unavailable");
    none.temperatureC = 0;  // 0 or -1: no Temp line
    none.errorText.Set(u"cannot open the drive (error 5): run as administrator");
    DriveInfo second = StartDriveRecord(2);
    second.temperatureC = -1;
    second.health = 77;
    const std::string text = Utf8(ReportText({none, second}));
    const std::string blockOne =
        "Drive 1: PhysicalDrive1\r\n"
        "  Serial : \r\n"
        "  Size   : 0 MB\r\n"
        "  Bus    : \r\n"
        "  Health : N/A  SMART data unavailable\r\n"
        "  Reason : cannot open the drive (error 5): run as administrator\r\n"
        "\r\n"
        "  SMART ATTRIBUTES:\r\n"
        "  ID   Name                          CUR  WST  THR  RAW VALUE         STATUS\r\n"
        "\r\n";
    const std::string blockTwoStart = "Drive 2: PhysicalDrive2\r\n";
    EXPECT_EQ(text.substr(38, blockOne.size()), blockOne);
    EXPECT_EQ(text.substr(38 + blockOne.size(), blockTwoStart.size()), blockTwoStart);
    EXPECT_NE(text.find("  Health : N/A  \r\n"), std::string::npos);
    EXPECT_EQ(text.find("Temp"), std::string::npos);
    EXPECT_EQ(text.find("Reason", text.find("Drive 2")), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
}

TEST(TextReport, LongNameMovesTheRowAndNonAsciiIsUtf8) {
    DriveInfo d = StartDriveRecord(0);
    d.model.Set(u"Disque \u00E9t\u00E9 \u65E5\u672C \U0001F4BE");
    d.attributes.push_back(Attr(1, u"A name that is longer than thirty-two units", 1, 2, 3, {}));
    const std::string bytes = ReportFileBytes({d});
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF"), 0u);
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF", 1), std::string::npos);
    EXPECT_NE(
        bytes.find(
            "Drive 0: Disque \xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x92\xBE\r\n"),
        std::string::npos);
    EXPECT_NE(bytes.find("  01   A name that is longer than thirty-two units    1    2    3  0  "),
              std::string::npos);
}

}  // namespace
}  // namespace corvanite
