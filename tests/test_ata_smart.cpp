#include <gtest/gtest.h>

#include <sstream>

#include "drives/ata_smart.h"
#include "drives/health.h"
#include "smart_pages.h"
#include "test_data.h"

namespace corvanite {
namespace {

using test::DataPage;
using test::ThresholdPage;

// One row graded on its own, with a threshold page holding just its threshold.
SmartAttribute Row(uint8_t id, uint8_t current, uint8_t threshold, uint64_t raw) {
    DriveInfo d = StartDriveRecord(0);
    const auto data = DataPage({{id, current, current, raw}});
    const auto thresholds = ThresholdPage({{id, threshold}});
    EXPECT_TRUE(ParseSmartPages(data.data(), thresholds.data(), d));
    return d.attributes.at(0);
}

struct Expected {
    int id, current, worst, threshold;
    uint64_t raw;
    unsigned flags;
    std::string grade;
};

TEST(AtaSmart, RealDrivesMatchIndependentlyDecodedRows) {
    const char* names[] = {
        "FUJITSU_MHY2120BH--0084000D",
        "FUJITSU_MHY2250BH--0085000B",
        "INTEL_SSDSA2CW120G3--4PC10302",
        "Maxtor_96147H8--BAC51KJ0--2",
        "SAMSUNG_HD501LJ--CR100-12",
        "SAMSUNG_MMCQE28G8MUP--0VA_VAM08L1Q",
        "ST320410A--3.39",
        "TOSHIBA_MK1651GSY--38IGT0G5T",
        "WDC_WD2500JS-75NCB3--10.02E04",
    };
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const std::string base = std::string("ata-smart/") + name;
        const std::vector<uint8_t> data = test::ReadTestFile(base + ".data.bin");
        const std::vector<uint8_t> thresholds = test::ReadTestFile(base + ".thresholds.bin");
        std::istringstream expected(test::ReadTestText(base + ".expected.txt"));
        ASSERT_EQ(data.size(), 512u);
        ASSERT_EQ(thresholds.size(), 512u);

        std::vector<Expected> rows;
        int temperature = 0;
        std::string verdict;
        for (std::string line; std::getline(expected, line);) {
            std::istringstream in(line);
            std::string first;
            in >> first;
            if (first == "TEMP") {
                in >> temperature;
            } else if (first == "VERDICT") {
                in >> verdict;
            } else if (!first.empty()) {
                Expected e{};
                e.id = std::stoi(first);
                std::string flags;
                in >> e.current >> e.worst >> e.threshold >> e.raw >> flags >> e.grade;
                e.flags = static_cast<unsigned>(std::stoul(flags, nullptr, 16));
                rows.push_back(e);
            }
        }
        ASSERT_FALSE(rows.empty());

        DriveInfo d = StartDriveRecord(0);
        ASSERT_TRUE(ParseSmartPages(data.data(), thresholds.data(), d));
        AssessHealth(d);
        ASSERT_EQ(d.attributes.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            const SmartAttribute& a = d.attributes[i];
            const Expected& e = rows[i];
            SCOPED_TRACE("row " + std::to_string(i) + " id " + std::to_string(e.id));
            EXPECT_EQ(a.id, e.id);
            EXPECT_EQ(a.current, e.current);
            EXPECT_EQ(a.worst, e.worst);
            EXPECT_EQ(a.threshold, e.threshold);
            EXPECT_EQ(AttributeRawValue(a), e.raw);
            EXPECT_EQ(a.flags, e.flags);
            EXPECT_EQ(a.preFailure, (e.flags & 1) != 0);
            EXPECT_EQ(std::string(e.grade), a.failing ? "FAIL" : a.warning ? "WARN" : "OK");
            EXPECT_FALSE(a.name.empty());
        }
        EXPECT_EQ(d.temperatureC, temperature);
        EXPECT_EQ(std::u16string(HealthWord(d.health)),
                  std::u16string(verdict.begin(), verdict.end()));
        EXPECT_EQ(d.smartSource, SOURCE_ATA);
        EXPECT_TRUE(d.smartAvailable);
    }
}

TEST(AtaSmart, RealDriveRowNamesAndUnusualEntries) {
    // Maxtor: all 30 slots used, vendor ids 6, 8 and 96 to 101 after 209, one failing row.
    const auto data = test::ReadTestFile("ata-smart/Maxtor_96147H8--BAC51KJ0--2.data.bin");
    const auto thr = test::ReadTestFile("ata-smart/Maxtor_96147H8--BAC51KJ0--2.thresholds.bin");
    ASSERT_EQ(data.size(), 512u);
    DriveInfo d = StartDriveRecord(0);
    ParseSmartPages(data.data(), thr.data(), d);
    ASSERT_EQ(d.attributes.size(), 30u);
    EXPECT_EQ(d.attributes[0].name, u"Raw Read Error Rate");
    EXPECT_EQ(d.attributes[1].name, u"Spin-Up Time");
    EXPECT_EQ(d.attributes[4].id, 6);
    EXPECT_EQ(d.attributes[4].name, u"Unknown Attribute");
    EXPECT_EQ(d.attributes[8].id, 10);
    EXPECT_EQ(d.attributes[8].name, u"Spin Retry Count");
    EXPECT_TRUE(d.attributes[8].failing);
    // Fujitsu MHY2120BH: empty slots between used ones are skipped, not an end marker.
    const auto fdata = test::ReadTestFile("ata-smart/FUJITSU_MHY2120BH--0084000D.data.bin");
    const auto fthr = test::ReadTestFile("ata-smart/FUJITSU_MHY2120BH--0084000D.thresholds.bin");
    DriveInfo f = StartDriveRecord(0);
    ParseSmartPages(fdata.data(), fthr.data(), f);
    ASSERT_EQ(f.attributes.size(), 21u);
    EXPECT_EQ(f.attributes.back().id, 240);
    EXPECT_EQ(f.attributes.back().name, u"Unknown Attribute");
}

TEST(AtaSmart, CatalogueNames) {
    EXPECT_EQ(SmartAttributeName(1), u"Raw Read Error Rate");
    EXPECT_EQ(SmartAttributeName(5), u"Reallocated Sectors Count");
    EXPECT_EQ(SmartAttributeName(9), u"Power-On Hours");
    EXPECT_EQ(SmartAttributeName(170), u"Available Reserved Space");
    EXPECT_EQ(SmartAttributeName(232), u"Available Reserved Space");
    EXPECT_EQ(SmartAttributeName(190), u"Airflow Temperature");
    EXPECT_EQ(SmartAttributeName(194), u"Temperature");
    EXPECT_EQ(SmartAttributeName(231), u"Life Left / Temperature");
    EXPECT_EQ(SmartAttributeName(250), u"Read Error Retry Rate");
    EXPECT_EQ(SmartAttributeName(240), u"Unknown Attribute");
    EXPECT_EQ(SmartAttributeName(6), u"Unknown Attribute");
    EXPECT_EQ(SmartAttributeName(255), u"Unknown Attribute");
    int catalogued = 0;
    for (int id = 0; id < 256; ++id) {
        catalogued += SmartAttributeName(static_cast<uint8_t>(id)) != u"Unknown Attribute";
    }
    EXPECT_EQ(catalogued, 40);
}

TEST(AtaSmart, RowGradingRules) {
    struct Case {
        uint8_t id, current, threshold;
        uint64_t raw;
        bool failing, warning;
    };
    const Case cases[] = {
        {5, 100, 10, 8, false, true},  // reallocated sectors present
        {5, 5, 10, 0, true, false},    // at or below threshold
        {5, 10, 10, 0, true, false},   // equal to threshold fails
        {197, 100, 0, 0, false, false},
        {197, 100, 0, uint64_t{1} << 40, false, true},  // any raw byte counts
        {196, 100, 0, 1, false, true},
        {198, 100, 0, 1, false, true},
        {9, 100, 0, 0xFFFFFFFFFFFF, false, false},  // large raw, not graded on raw
        {199, 200, 0, 5000, false, false},
        {194, 55, 0, 45, false, false},
        {194, 55, 0, 66, false, true},  // hot
        {194, 55, 0, 65, false, false},
        {194, 5, 0, 30, false, true},    // 5 < 0 + 10
        {194, 0, 0, 30, false, false},   // current 0 is no value
        {190, 50, 45, 30, false, true},  // 50 < 55
        {190, 56, 45, 30, false, false},
        {190, 56, 45, 66, false, true},
        {190, 250, 250, 30, true, false},
        {190, 251, 250, 30, false, false},  // 250 + 10 wraps to 4
        {194, 30, 40, 200, true, false},    // failing wins over hot
        {1, 1, 0, 0, false, false},
        {1, 6, 6, 0, true, false},
    };
    for (const Case& c : cases) {
        const SmartAttribute a = Row(c.id, c.current, c.threshold, c.raw);
        EXPECT_EQ(a.failing, c.failing) << int(c.id) << " cur " << int(c.current);
        EXPECT_EQ(a.warning, c.warning) << int(c.id) << " cur " << int(c.current);
    }
}

TEST(AtaSmart, TemperaturePick) {
    struct Case {
        std::initializer_list<test::PageEntry> rows;
        int temperature;
    };
    const Case cases[] = {
        {{{194, 55, 55, 45}}, 45},
        {{{190, 60, 60, 35}, {194, 60, 60, 40}}, 35},
        {{{194, 60, 60, 0}, {190, 60, 60, 30}}, 30},
        {{{194, 60, 60, 100}}, -1},
        {{{194, 60, 60, 99}}, 99},
        {{{194, 60, 60, 0x2A00000001}}, 1},  // the other raw bytes are ignored
        {{{231, 60, 60, 40}, {9, 60, 60, 40}}, -1},
        {{{194, 60, 60, 150}, {190, 60, 60, 38}}, 38},
    };
    for (const Case& c : cases) {
        DriveInfo d = StartDriveRecord(0);
        const auto data = DataPage(c.rows);
        ParseSmartPages(data.data(), nullptr, d);
        EXPECT_EQ(d.temperatureC, c.temperature);
    }
}

TEST(AtaSmart, ThresholdLookup) {
    DriveInfo d = StartDriveRecord(0);
    const auto data = DataPage({{1, 100, 100, 0}, {3, 100, 100, 0}, {7, 100, 100, 0}});
    // First matching id wins; id 7 has no entry; a threshold page in another order still matches.
    const auto thr = ThresholdPage({{3, 21}, {1, 51}, {3, 99}});
    ASSERT_TRUE(ParseSmartPages(data.data(), thr.data(), d));
    EXPECT_EQ(d.attributes[0].threshold, 51);
    EXPECT_EQ(d.attributes[1].threshold, 21);
    EXPECT_EQ(d.attributes[2].threshold, 0);
    // No threshold page: every threshold 0, nothing fails.
    const auto low = DataPage({{1, 1, 1, 0}});
    ASSERT_TRUE(ParseSmartPages(low.data(), nullptr, d));
    EXPECT_EQ(d.attributes.size(), 1u);
    EXPECT_EQ(d.attributes[0].threshold, 0);
    EXPECT_FALSE(d.attributes[0].failing);
}

TEST(AtaSmart, EmptyTableAndRowFields) {
    DriveInfo d = StartDriveRecord(0);
    d.attributes.resize(3);  // an earlier list is replaced
    const test::Page empty = {};
    EXPECT_FALSE(ParseSmartPages(empty.data(), empty.data(), d));
    EXPECT_TRUE(d.attributes.empty());
    EXPECT_FALSE(d.smartAvailable);
    EXPECT_EQ(d.smartSource, SOURCE_ATA);

    // Slot 29, the last one, is read; bytes past the table are not.
    test::Page page = {};
    uint8_t* e = page.data() + 2 + 12 * 29;
    e[0] = 12;
    e[1] = 0x33;
    e[2] = 0x01;
    e[3] = 97;
    e[4] = 96;
    for (int b = 0; b < 6; ++b) {
        e[5 + b] = static_cast<uint8_t>(0x10 + b);
    }
    page[362] = 194;  // would be a 31st entry
    ASSERT_TRUE(ParseSmartPages(page.data(), nullptr, d));
    ASSERT_EQ(d.attributes.size(), 1u);
    const SmartAttribute& a = d.attributes[0];
    EXPECT_EQ(a.id, 12);
    EXPECT_EQ(a.flags, 0x0133);
    EXPECT_TRUE(a.preFailure);
    EXPECT_EQ(a.current, 97);
    EXPECT_EQ(a.worst, 96);
    EXPECT_EQ(AttributeRawValue(a), 0x151413121110u);
    EXPECT_EQ(a.name, u"Power Cycle Count");
}

}  // namespace
}  // namespace corvanite
