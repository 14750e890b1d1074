// The NVMe health log as the Windows protocol-data reply carries it, through locating the page,
// parsing, grading and the report.
//
// Input: bytes 0-583 the reply buffer (zeros where the input is short); from byte 584 UTF-16
// units (little endian) put into the record's texts before the report is written.

#include <cstring>
#include <memory>

#include "drives/health.h"
#include "drives/nvme_health.h"
#include "drives/win32_layout.h"
#include "fuzz_support.h"

namespace {

using namespace corvanite;
using corvanite::fuzz::Check;

using Reply = uint8_t[win32::NVME_REPLY_SIZE];
using Page = uint8_t[NVME_LOG_PAGE_SIZE];

uint64_t ReadLittleEndian(const uint8_t* bytes, size_t count) {
    uint64_t value = 0;
    for (size_t i = count; i-- > 0;) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

const SmartAttribute* FindRow(const DriveInfo& drive, uint8_t id) {
    for (const SmartAttribute& row : drive.attributes) {
        if (row.id == id) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Reply and page on the heap at their exact sizes, so that ASan sees a read or write past
    // either.
    std::unique_ptr<uint8_t[]> replyBuffer(new uint8_t[win32::NVME_REPLY_SIZE]());
    if (size != 0) {
        std::memcpy(replyBuffer.get(), data,
                    size < win32::NVME_REPLY_SIZE ? size : win32::NVME_REPLY_SIZE);
    }
    std::unique_ptr<uint8_t[]> pageBuffer(new uint8_t[NVME_LOG_PAGE_SIZE]);
    std::memset(pageBuffer.get(), 0xA5, NVME_LOG_PAGE_SIZE);
    const auto& reply = *reinterpret_cast<const Reply*>(replyBuffer.get());
    auto& page = *reinterpret_cast<Page*>(pageBuffer.get());

    const bool located = win32::LocateNvmeLogPage(reply, page);

    // The page starts 8 + the data offset into the reply; the bytes the log is read from
    // (0 to 167) must lie inside it.
    const uint64_t start =
        8 + uint64_t{fuzz::Read32(replyBuffer.get() + win32::NVME_REPLY_DATA_OFFSET_AT)};
    Check(located == (start + NVME_LOG_BYTES_READ <= win32::NVME_REPLY_SIZE),
          "log page located against its offset");
    if (!located) {
        return 0;
    }
    for (size_t i = 0; i < NVME_LOG_PAGE_SIZE; ++i) {
        const size_t at = static_cast<size_t>(start) + i;
        Check(page[i] == (at < win32::NVME_REPLY_SIZE ? reply[at] : 0),
              "log page is not the reply's bytes followed by zeros");
    }

    DriveInfo drive = StartDriveRecord(0);
    Check(ParseNvmeHealthLog(page, drive), "the log parse reported failure");

    const uint8_t criticalWarning = page[0];
    const auto kelvin = static_cast<int32_t>(page[1] | (page[2] << 8));
    Check(drive.attributes.size() == (criticalWarning != 0 ? 6u : 5u),
          "not 5 rows, or 6 with a critical warning");
    Check(drive.smartAvailable && drive.smartSource == SOURCE_NVME, "log parsed but no NVMe data");
    Check(drive.temperatureC == (kelvin > 273 ? kelvin - 273 : -1),
          "temperature is not the composite temperature");
    Check(drive.lifeRemaining >= 0 && drive.lifeRemaining <= 100, "life remaining out of range");
    Check(drive.nvmeCriticalWarning == criticalWarning, "critical warning not kept");
    fuzz::CheckRows(drive);
    for (uint8_t id : {NVME_ID_TEMPERATURE, NVME_ID_AVAILABLE_SPARE, NVME_ID_PERCENTAGE_USED,
                       NVME_ID_POWER_ON_HOURS, NVME_ID_MEDIA_ERRORS}) {
        Check(FindRow(drive, id) != nullptr, "a pseudo-attribute row is missing");
    }
    const uint64_t low48 = (uint64_t{1} << 48) - 1;
    Check(AttributeRawValue(*FindRow(drive, NVME_ID_POWER_ON_HOURS)) ==
              (ReadLittleEndian(page + 128, 8) & low48),
          "power-on hours row is not the log's");
    Check(AttributeRawValue(*FindRow(drive, NVME_ID_MEDIA_ERRORS)) ==
              (ReadLittleEndian(page + 160, 8) & low48),
          "media errors row is not the log's");

    AssessHealth(drive);
    fuzz::CheckVerdict(drive);

    if (size > win32::NVME_REPLY_SIZE) {
        fuzz::SetTextsFromUnits(
            fuzz::UnitsFromBytes(data + win32::NVME_REPLY_SIZE, size - win32::NVME_REPLY_SIZE),
            drive);
    }
    fuzz::CheckRecordFields(drive);
    fuzz::CheckReport(drive);
    return 0;
}
