// The NVMe health log as the Windows protocol-data reply carries it, through locating the page,
// parsing, grading and the report.
//
// Input: bytes 0-583 the reply buffer (zeros where the input is short); from byte 584 UTF-16
// units (little endian) for the record's texts.
#include "drives/nvme_health.h"
#include "drives/win32_layout.h"
#include "fuzz_support.h"

using namespace corvanite;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t REPLY = win32::NVME_REPLY_SIZE;
    const std::unique_ptr<uint8_t[]> reply = fuzz::HeapCopy(data, size, 0, REPLY);
    const std::unique_ptr<uint8_t[]> page(new uint8_t[NVME_LOG_PAGE_SIZE]);  // as exact
    auto& log = *reinterpret_cast<uint8_t(*)[NVME_LOG_PAGE_SIZE]>(page.get());
    const bool located =
        win32::LocateNvmeLogPage(*reinterpret_cast<const uint8_t(*)[REPLY]>(reply.get()), log);

    // The page starts 8 + the data offset into the reply; bytes 0-167 must lie inside it.
    const uint64_t start = 8 + ReadLittleEndian(reply.get() + win32::NVME_REPLY_DATA_OFFSET_AT, 4);
    Check(located == (start + NVME_LOG_BYTES_READ <= REPLY), "log located against its offset");
    if (!located) {
        return 0;
    }
    for (size_t i = 0; i < NVME_LOG_PAGE_SIZE; ++i) {
        Check(log[i] == (start + i < REPLY ? reply[start + i] : 0),
              "log page is not the reply's bytes followed by zeros");
    }
    DriveInfo drive = StartDriveRecord(0);
    ParseNvmeHealthLog(log, drive);
    const int kelvin = log[1] | (log[2] << 8);
    Check(drive.attributes.size() == (log[0] != 0 ? 6u : 5u), "not 5 rows, or 6 with a warning");
    Check(drive.smartAvailable && drive.smartSource == SOURCE_NVME &&
              drive.nvmeCriticalWarning == log[0],
          "log parsed but not kept");
    Check(drive.temperatureC == (kelvin > 273 ? kelvin - 273 : -1),
          "not the composite temperature");
    Check(drive.lifeRemaining >= 0 && drive.lifeRemaining <= 100, "life remaining out of range");
    fuzz::CheckGradeAndReport(drive, data + std::min(size, REPLY), size - std::min(size, REPLY));
    return 0;
}
