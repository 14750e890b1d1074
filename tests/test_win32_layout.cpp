#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "drives/ata_smart.h"
#include "drives/win32_layout.h"
#include "fake_device.h"

namespace corvanite::win32 {
namespace {

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// A STORAGE_DEVICE_DESCRIPTOR reply with texts placed after the 40-byte header.
struct DescriptorReply {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(DESCRIPTOR_REPLY_SIZE, 0);
    uint32_t used = 40;

    uint32_t Add(const char* text, bool terminate = true) {
        const uint32_t at = used;
        const size_t n = std::strlen(text);
        std::memcpy(bytes.data() + at, text, n);
        used += static_cast<uint32_t>(n + (terminate ? 1 : 0));
        return at;
    }
    void Offsets(uint32_t vendor, uint32_t product, uint32_t revision, uint32_t serial,
                 uint32_t bus) {
        Put32(bytes.data() + 12, vendor);
        Put32(bytes.data() + 16, product);
        Put32(bytes.data() + 20, revision);
        Put32(bytes.data() + 24, serial);
        Put32(bytes.data() + 28, bus);
    }
};

TEST(Win32Layout, DescriptorQueryBytes) {
    const auto q = DescriptorQuery();
    EXPECT_EQ(q.size(), 12u);
    for (uint8_t b : q) {
        EXPECT_EQ(b, 0);
    }
}

TEST(Win32Layout, DescriptorTextsAtUsableOffsets) {
    DescriptorReply r;
    const uint32_t vendor = r.Add("ATA     ");
    const uint32_t product = r.Add("WDC WD10EZEX-08W");
    const uint32_t revision = r.Add("01.01A01");
    const uint32_t serial = r.Add("     WD-WCC6Y1234567");
    r.Offsets(vendor, product, revision, serial, 11);
    const DescriptorTexts t = ParseDescriptorReply(r.bytes.data(), r.bytes.size(), r.used);
    EXPECT_EQ(t.vendor, "ATA     ");
    EXPECT_EQ(t.product, "WDC WD10EZEX-08W");
    EXPECT_EQ(t.revision, "01.01A01");
    EXPECT_EQ(t.serial, "     WD-WCC6Y1234567");
    EXPECT_EQ(t.busType, 11u);
}

TEST(Win32Layout, DescriptorOffsetsZeroOrPastTheReturnedCountAreAbsent) {
    DescriptorReply r;
    const uint32_t product = r.Add("Disk");
    r.Offsets(0, product, r.used, r.used + 100, 7);
    const DescriptorTexts t = ParseDescriptorReply(r.bytes.data(), r.bytes.size(), r.used);
    EXPECT_TRUE(t.vendor.empty());
    EXPECT_EQ(t.product, "Disk");
    EXPECT_TRUE(t.revision.empty());  // offset equal to the returned count
    EXPECT_TRUE(t.serial.empty());
    // The same offsets with a returned count that ends before the product.
    const DescriptorTexts cut = ParseDescriptorReply(r.bytes.data(), r.bytes.size(), product);
    EXPECT_TRUE(cut.product.empty());
    // The Wine reply: 40 bytes, bus code 1, no texts.
    DescriptorReply wine;
    wine.Offsets(0, 0, 0, 0, 1);
    const DescriptorTexts w = ParseDescriptorReply(wine.bytes.data(), wine.bytes.size(), 40);
    EXPECT_TRUE(w.vendor.empty() && w.product.empty() && w.serial.empty() && w.revision.empty());
    EXPECT_EQ(w.busType, 1u);
}

TEST(Win32Layout, UnterminatedTextEndsAtTheReturnedCount) {
    // A buffer of exactly the returned size, text running to its last byte: nothing past it read.
    std::vector<uint8_t> reply(48, 0);
    std::memcpy(reply.data() + 40, "ABCDEFGH", 8);
    Put32(reply.data() + 16, 40);
    Put32(reply.data() + 28, 11);
    DescriptorTexts t = ParseDescriptorReply(reply.data(), reply.size(), 48);
    EXPECT_EQ(t.product, "ABCDEFGH");
    t = ParseDescriptorReply(reply.data(), reply.size(), 44);
    EXPECT_EQ(t.product, "ABCD");
    // A count larger than the buffer is held to the buffer.
    t = ParseDescriptorReply(reply.data(), reply.size(), 0xFFFFFFFF);
    EXPECT_EQ(t.product, "ABCDEFGH");
    // A reply too short to hold the header gives nothing.
    t = ParseDescriptorReply(reply.data(), 20, 20);
    EXPECT_TRUE(t.product.empty());
    EXPECT_EQ(t.busType, 0u);
}

TEST(Win32Layout, GeometryDiskSize) {
    uint8_t reply[GEOMETRY_REPLY_SIZE] = {};
    const uint64_t size = 500107862016;
    for (int i = 0; i < 8; ++i) {
        reply[24 + i] = static_cast<uint8_t>(size >> (8 * i));
    }
    reply[0] = 0xFF;  // cylinders, not read
    EXPECT_EQ(GeometryDiskSize(reply), size);
}

TEST(Win32Layout, SmartCommandRegisters) {
    struct Case {
        int drive;
        uint8_t feature;
        uint8_t expected[32];
    };
    const Case cases[] = {
        {0, 0xD0, {0x00, 0x02, 0, 0, 0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0, 0}},
        {1, 0xD1, {0x00, 0x02, 0, 0, 0xD1, 1, 1, 0x4F, 0xC2, 0xB0, 0xB0, 0, 1}},
        {2, 0xD0, {0x00, 0x02, 0, 0, 0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0, 2}},
        {15, 0xD8, {0x00, 0x00, 0, 0, 0xD8, 0, 0, 0x4F, 0xC2, 0xB0, 0xB0, 0, 15}},
    };
    for (const Case& c : cases) {
        const auto cmd = SmartCommand(c.drive, c.feature);
        ASSERT_EQ(cmd.size(), 32u);
        EXPECT_EQ(std::memcmp(cmd.data(), c.expected, 32), 0) << "drive " << c.drive;
    }
    EXPECT_EQ(corvanite::AtaDriveHead(0), 0xA0);
    EXPECT_EQ(corvanite::AtaDriveHead(1), 0xB0);
    EXPECT_EQ(corvanite::AtaDriveHead(2), 0xA0);
    EXPECT_EQ(corvanite::AtaDriveHead(3), 0xB0);
}

TEST(Win32Layout, SmartReplyPageAndDriverError) {
    uint8_t reply[SMART_PAGE_REPLY_SIZE] = {};
    for (size_t i = 0; i < 512; ++i) {
        reply[16 + i] = static_cast<uint8_t>(i * 7);
    }
    uint8_t page[512] = {};
    ASSERT_TRUE(SmartReplyPage(reply, page));
    EXPECT_EQ(std::memcmp(page, reply + 16, 512), 0);
    reply[4] = 1;  // bDriverError
    EXPECT_FALSE(SmartReplyPage(reply, page));
    reply[4] = 0;
    reply[5] = 0x04;  // bIDEError alone is not examined
    EXPECT_TRUE(SmartReplyPage(reply, page));
}

TEST(Win32Layout, NvmeProtocolQueryBytes) {
    // PropertyId, QueryType 0, then STORAGE_PROTOCOL_SPECIFIC_DATA: ProtocolType NVMe (3),
    // DataType, RequestValue, SubValue 0 (for a log page the low dword of its offset),
    // ProtocolDataOffset 40 and ProtocolDataLength (Windows takes no less than 512).
    struct Case {
        std::array<uint8_t, NVME_QUERY_SIZE> query;
        uint32_t property, dataType, requestValue, length;
    };
    const Case cases[] = {
        {NvmeHealthQuery(), 50, 2, 2, 512},
        {NvmeHealthQuery(STORAGE_ADAPTER_PROTOCOL_SPECIFIC_PROPERTY), 49, 2, 2, 512},
        {NvmeIdentifyControllerQuery(), 49, 1, 1, 4096},  // Identify, CNS 1: the controller
    };
    for (const Case& c : cases) {
        uint8_t expected[NVME_QUERY_SIZE] = {};
        Put32(expected, c.property);
        Put32(expected + 8, 3);
        Put32(expected + 12, c.dataType);
        Put32(expected + 16, c.requestValue);
        Put32(expected + 24, 40);
        Put32(expected + 28, c.length);
        EXPECT_EQ(std::memcmp(c.query.data(), expected, sizeof expected), 0) << c.property;
    }
}

TEST(Win32Layout, NvmeHealthLogFallsBackToTheAdapterOnce) {
    test::ResetMachine();
    auto& drives = test::Machine().drives;
    drives[0].nvmeAnswers = true;  // answers only at the adapter
    drives[0].nvmeDeviceQueryRefused = true;
    drives[0].nvmeLog[0] = 0x04;
    drives[0].nvmeLog[167] = 0x99;
    drives[1].nvmeAnswers = true;  // answers the device-level query
    // drive 2 refuses both
    uint8_t page[NVME_LOG_PAGE_SIZE];
    ASSERT_TRUE(QueryNvmeHealthLog(test::StorageQuery, 0, page));
    EXPECT_EQ(std::memcmp(page, drives[0].nvmeLog.data(), sizeof page), 0);
    EXPECT_TRUE(QueryNvmeHealthLog(test::StorageQuery, 1, page));
    EXPECT_FALSE(QueryNvmeHealthLog(test::StorageQuery, 2, page));
    EXPECT_EQ(LastDeviceError(), 1);
    // 0x32 = 50 (device), 0x31 = 49 (adapter)
    EXPECT_EQ(test::Machine().calls,
              (std::vector<std::string>{"query 0 32", "query 0 31", "query 1 32", "query 2 32",
                                        "query 2 31"}));
}

TEST(Win32Layout, IdentifyControllerTextsReplaceTheDescriptors) {
    // The start of QEMU 7.2's Identify Controller page for -device nvme,serial=CVT-NVME-0001
    // (as nvme-cli's id-ctrl shows it): VID 1B36, SSVID 1AF4, SN, MN and FR blank-padded.
    uint8_t reply[NVME_IDENTIFY_REPLY_SIZE] = {};
    Put32(reply + 24, 40);
    const char idCtrl[] =
        "\x36\x1b\xf4\x1a"
        "CVT-NVME-0001       "
        "QEMU NVMe Ctrl                          "
        "7.2.22  ";
    std::memcpy(reply + 48, idCtrl, sizeof idCtrl - 1);
    DescriptorTexts texts{"NVMe", "QEMU NVMe Ctrl", "0025_3885_9100_7D4F.", "7.2.22", 17};
    ASSERT_TRUE(ApplyIdentifyControllerReply(reply, texts));
    EXPECT_EQ(texts.vendor, "");
    EXPECT_EQ(texts.serial, "CVT-NVME-0001       ");
    EXPECT_EQ(texts.product, "QEMU NVMe Ctrl                          ");
    EXPECT_EQ(texts.revision, "7.2.22  ");
    EXPECT_EQ(texts.busType, 17u);

    // Refused in effect: a blank page, or one placed past the reply, leaves the descriptor's.
    const DescriptorTexts before = texts;
    Put32(reply + 24, static_cast<uint32_t>(NVME_IDENTIFY_REPLY_SIZE - 8 - 71));
    EXPECT_FALSE(ApplyIdentifyControllerReply(reply, texts));
    std::memset(reply + 48, ' ', 72);
    Put32(reply + 24, 40);
    EXPECT_FALSE(ApplyIdentifyControllerReply(reply, texts));
    EXPECT_EQ(texts.serial, before.serial);
}

TEST(Win32Layout, NvmeLogPageLocationAndBounds) {
    uint8_t reply[NVME_REPLY_SIZE] = {};
    uint8_t page[512];
    // The usual reply: offset 40, the log from byte 48.
    Put32(reply + 24, 40);
    reply[48] = 0x04;
    reply[48 + 167] = 0x99;
    reply[48 + 511] = 0x42;
    ASSERT_TRUE(LocateNvmeLogPage(reply, page));
    EXPECT_EQ(page[0], 0x04);
    EXPECT_EQ(page[167], 0x99);
    EXPECT_EQ(page[511], 0x42);
    // The last offset whose bytes 0-167 still fit; the rest of the page reads as zero.
    Put32(reply + 24, 584 - 8 - 168);
    reply[584 - 1] = 0x55;
    std::memset(page, 0xEE, sizeof page);
    ASSERT_TRUE(LocateNvmeLogPage(reply, page));
    EXPECT_EQ(page[167], 0x55);
    EXPECT_EQ(page[168], 0);
    EXPECT_EQ(page[511], 0);
    // One further, or far beyond (no wrap-around): a failed query.
    Put32(reply + 24, 584 - 8 - 167);
    EXPECT_FALSE(LocateNvmeLogPage(reply, page));
    Put32(reply + 24, 0xFFFFFFF8);
    EXPECT_FALSE(LocateNvmeLogPage(reply, page));
    Put32(reply + 24, 0);
    EXPECT_TRUE(LocateNvmeLogPage(reply, page));
}

}  // namespace
}  // namespace corvanite::win32
