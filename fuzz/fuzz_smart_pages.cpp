// The two ATA SMART pages through parsing, grading and the report.
//
// Input: bytes 0-511 the data page, 512-1023 the thresholds page (zeros where the input is
// short), byte 1024 bit 0 set: no thresholds page; from byte 1025 UTF-16 units (little endian)
// for the record's texts. A real drive's two pages concatenated are a valid input as they are.
#include <cstring>

#include "drives/ata_smart.h"
#include "fuzz_support.h"

using namespace corvanite;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<uint8_t[]> pages[2] = {fuzz::HeapCopy(data, size, 0, SMART_PAGE_SIZE),
                                                 fuzz::HeapCopy(data, size, 512, SMART_PAGE_SIZE)};
    const bool noThresholds = size > 1024 && (data[1024] & 1) != 0;
    DriveInfo drive = StartDriveRecord(0);
    const bool available =
        ParseSmartPages(pages[0].get(), noThresholds ? nullptr : pages[1].get(), drive);

    size_t entries = 0;
    for (size_t i = 0; i < SMART_TABLE_ENTRIES; ++i) {
        entries += pages[0][SMART_TABLE_OFFSET + SMART_ENTRY_SIZE * i] != 0 ? 1 : 0;
    }
    Check(drive.attributes.size() == entries, "rows are not the page's non-empty entries");
    Check(available == drive.smartAvailable && available == (entries != 0),
          "availability does not follow the rows");
    Check(drive.temperatureC == -1 || (drive.temperatureC >= 1 && drive.temperatureC <= 99),
          "implausible temperature picked");
    for (const SmartAttribute& row : drive.attributes) {
        Check(!noThresholds || row.threshold == 0, "a threshold without a thresholds page");
    }
    std::memcpy(&drive.sizeBytes, pages[1].get() + 400, sizeof drive.sizeBytes);  // unread bytes
    fuzz::CheckGradeAndReport(drive, data + std::min<size_t>(size, 1025),
                              size - std::min<size_t>(size, 1025));
    return 0;
}
