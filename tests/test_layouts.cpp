// The byte layouts of both platforms' requests and replies, portable so that every build checks
// them: tables of request bytes (the Windows build compares the same requests with the SDK's
// structures) and of replies in the shapes drivers give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "drives/linux_layout.h"
#include "drives/win32_layout.h"
#include "fake_device.h"
#include "test_data.h"

namespace corvanite {
namespace {

std::string Hex(const uint8_t* bytes, size_t size) {
    std::string hex;
    for (size_t i = 0; i < size; ++i) {
        hex += {"0123456789ABCDEF"[bytes[i] >> 4], "0123456789ABCDEF"[bytes[i] & 15]};
    }
    return hex;
}
template <typename T>
std::string Hex(const T& bytes) {
    return Hex(bytes.data(), bytes.size());
}

// The words from the i-th on, as one string.
std::string From(const std::vector<std::string>& w, size_t i) {
    std::string rest;
    for (; i < w.size(); ++i) {
        rest += w[i] + " ";
    }
    return rest;
}

// The bytes laid out by the words from the i-th on, as the fixed-size reply a parser takes.
template <size_t N>
struct Reply {
    std::vector<uint8_t> bytes;
    Reply(const std::vector<std::string>& w, size_t i) : bytes(test::Bytes(From(w, i), N)) {}
    using Array = const uint8_t[N];
    operator Array&() const { return *reinterpret_cast<Array*>(bytes.data()); }
};

TEST(Layouts, Windows) {
    using namespace win32;
    test::CheckTable("cases/win32-layout.txt", [](const std::string& input) {
        const std::vector<std::string> w = test::Words(input);
        const auto n = [&](size_t i) { return std::stoul(w.at(i), nullptr, 0); };
        if (w[0] == "descriptor-query") {
            return Hex(DescriptorQuery());
        }
        if (w[0] == "smart-command") {
            return Hex(SmartCommand(static_cast<int>(n(1)), static_cast<uint8_t>(n(2))));
        }
        if (w[0] == "nvme-query") {
            return Hex(w[1] == "identify" ? NvmeIdentifyControllerQuery()
                                          : NvmeHealthQuery(static_cast<uint32_t>(n(1))));
        }
        if (w[0] == "spt-request") {  // READ DATA of drive 1 in a CDB of the given length
            const ata::CommandBlock cdb =
                ata::AtaPassThroughCdb(ata::SmartRegisters(1, SMART_FEATURE_READ_DATA), true, n(1));
            const ScsiPassThroughBuffer b = ScsiPassThroughRequest(cdb.bytes.data(), n(1), n(2));
            return Hex(b.data(), SPT_HEADER_SIZE) + " " + std::to_string(b.size());
        }
        if (w[0] == "spt-reply") {  // DATASIZE TOKENS: the outcome's fields
            const std::vector<uint8_t> b = test::Bytes(From(w, 2), SPT_BUFFER_SIZE);
            ScsiPassThroughBuffer buffer;
            std::memcpy(buffer.data(), b.data(), buffer.size());
            const ata::PassThroughOutcome o = ScsiPassThroughOutcome(buffer, true, n(1));
            return std::to_string(o.scsiStatus) + " residual " + std::to_string(o.residual) +
                   " sense " + Hex(o.sense, o.senseLength) +
                   (ata::PassThroughSucceeded(o) ? " ok" : " failed");
        }
        if (w[0] == "descriptor") {  // SIZE RETURNED TOKENS
            const std::vector<uint8_t> b = test::Bytes(From(w, 3), n(1));
            const DescriptorTexts t =
                ParseDescriptorReply(b.data(), b.size(), static_cast<uint32_t>(n(2)));
            return std::string(t.vendor) + "|" + std::string(t.product) + "|" +
                   std::string(t.revision) + "|" + std::string(t.serial) + "|" +
                   std::to_string(t.busType);
        }
        if (w[0] == "geometry") {
            return std::to_string(GeometryDiskSize(Reply<GEOMETRY_REPLY_SIZE>(w, 1)));
        }
        uint8_t page[512];
        std::memset(page, 0xEE, sizeof page);
        if (w[0] == "smart-reply") {
            const bool ok = SmartReplyPage(Reply<SMART_PAGE_REPLY_SIZE>(w, 1), page);
            return std::string(ok ? "page " : "refused ") + Hex(page, 4) + Hex(page + 508, 4);
        }
        if (w[0] == "nvme-reply") {
            const bool ok = LocateNvmeLogPage(Reply<NVME_REPLY_SIZE>(w, 1), page);
            return std::string(ok ? "page " : "refused ") + Hex(page, 2) + Hex(page + 166, 4) +
                   Hex(page + 510, 2);
        }
        if (w[0] == "identify-reply") {  // over a descriptor's texts
            DescriptorTexts t{"NVMe", "desc product", "desc serial", "desc rev", 17};
            const Reply<NVME_IDENTIFY_REPLY_SIZE> reply(w, 1);  // the texts point into it
            const bool ok = ApplyIdentifyControllerReply(reply, t);
            return std::string(ok ? "applied " : "kept ") + std::string(t.vendor) + "|" +
                   std::string(t.product) + "|" + std::string(t.serial) + "|" +
                   std::string(t.revision) + "|" + std::to_string(t.busType);
        }
        return std::string("unknown case");
    });
}

TEST(Layouts, NvmeHealthLogFallsBackToTheAdapterOnce) {
    test::ResetMachine();
    auto& drives = test::Machine().drives;
    drives[0].nvmeAnswers = drives[0].nvmeDeviceQueryRefused = true;  // only at the adapter
    drives[0].nvmeLog[167] = 0x99;
    drives[1].nvmeAnswers = true;
    uint8_t page[NVME_LOG_PAGE_SIZE];
    ASSERT_TRUE(win32::QueryNvmeHealthLog(test::StorageQuery, 0, page));
    EXPECT_EQ(page[167], 0x99);
    EXPECT_TRUE(win32::QueryNvmeHealthLog(test::StorageQuery, 1, page));
    EXPECT_FALSE(win32::QueryNvmeHealthLog(test::StorageQuery, 2, page));
    EXPECT_EQ(LastDeviceError(), 1);
    // 0x32 = 50 (device), 0x31 = 49 (adapter)
    EXPECT_EQ(test::Machine().calls,
              (std::vector<std::string>{"query 0 32", "query 0 31", "query 1 32", "query 2 32",
                                        "query 2 31"}));
}

TEST(Layouts, Linux) {
    using namespace linux_layout;
    test::CheckTable("cases/linux-layout.txt", [](const std::string& input) {
        const std::vector<std::string> w = test::Words(input);
        const auto n = [&](size_t i) { return std::stoul(w.at(i), nullptr, 0); };
        std::string out;
        if (w[0] == "probed") {
            for (size_t i = 1; i < w.size(); ++i) {
                out += IsProbedDiskName(w[i] == "''" ? "" : w[i]) ? "yes " : "no ";
            }
        } else if (w[0] == "order") {
            std::vector<std::string> names(w.begin() + 1, w.end());
            std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
                return DiskNameLess(a, b);
            });
            out = From(names, 0) + (DiskNameLess(w[1], w[1]) ? "self-less" : "");
        } else if (w[0] == "bus") {
            out = std::to_string(BusCodeFromSysfsPath(w.size() > 1 ? w[1] : ""));
        } else if (w[0] == "cdb") {  // smart DRIVE FEATURE | identify DRIVE, then in/none, LENGTH
            const bool smart = w[1] == "smart";
            const ata::AtaRegisters r =
                smart ? ata::SmartRegisters(static_cast<int>(n(2)), static_cast<uint8_t>(n(3)))
                      : ata::IdentifyRegisters(static_cast<int>(n(2)));
            const size_t at = smart ? 4 : 3;
            const ata::CommandBlock cdb = ata::AtaPassThroughCdb(r, w.at(at) == "in", n(at + 1));
            out = Hex(cdb.bytes) + " " + std::to_string(cdb.length);
        } else if (w[0] == "inquiry") {
            out = Hex(InquiryVpdCdb(static_cast<uint8_t>(n(1)), static_cast<uint8_t>(n(2))));
        } else if (w[0] == "sense") {  // LENGTH TOKENS
            const std::vector<uint8_t> b = test::Bytes(From(w, 2), 32);
            out = std::to_string(ata::AtaStatusFromSense(b.data(), n(1)));
        } else if (w[0] == "outcome") {  // IOCTL SCSI HOST DRIVER RESIDUAL SENSELENGTH TOKENS
            const std::vector<uint8_t> b = test::Bytes(From(w, 7), 32);
            ata::PassThroughOutcome o;
            o.ioctlSucceeded = n(1) != 0;
            o.scsiStatus = static_cast<uint8_t>(n(2));
            o.hostStatus = static_cast<uint16_t>(n(3));
            o.driverStatus = static_cast<uint16_t>(n(4));
            o.residual = static_cast<int32_t>(n(5));
            o.sense = b.data();
            o.senseLength = n(6);
            out = std::string(ata::PassThroughSucceeded(o) ? "ata ok" : "ata failed") +
                  (ScsiCommandSucceeded(o) ? ", scsi ok" : ", scsi failed");
        } else if (w[0] == "vpd") {  // LENGTH TOKENS
            const std::vector<uint8_t> b = test::Bytes(From(w, 2), 64);
            out.append("[").append(UnitSerialFromVpd(b.data(), n(1))).append("]");
        } else if (w[0] == "dword10") {
            out = std::to_string(
                NvmeGetLogPageDword10(static_cast<uint8_t>(n(1)), static_cast<uint32_t>(n(2))));
        }
        return out;
    });
}

}  // namespace
}  // namespace corvanite
