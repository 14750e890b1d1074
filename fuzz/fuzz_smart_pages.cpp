// The two ATA SMART pages through parsing, grading and the report.
//
// Input: bytes 0-511 the data page, 512-1023 the thresholds page (zeros where the input is
// short), byte 1024 flags (bit 0: no thresholds page), and from byte 1025 UTF-16 units (little
// endian) put into the record's texts before the report is written. A real drive's data and
// thresholds pages concatenated are a valid input as they are.

#include <cstring>
#include <memory>

#include "drives/ata_smart.h"
#include "drives/health.h"
#include "fuzz_support.h"

namespace {

using namespace corvanite;
using corvanite::fuzz::Check;

constexpr size_t FLAGS_AT = 2 * SMART_PAGE_SIZE;
constexpr size_t TEXTS_AT = FLAGS_AT + 1;
constexpr uint8_t FLAG_NO_THRESHOLDS = 1;
// Bytes of the thresholds page that the parser never reads (the table ends at byte 362) give
// the drive's size, so the report meets every capacity.
constexpr size_t SIZE_BYTES_AT = 400;
constexpr auto TABLE_ENTRIES = static_cast<size_t>(SMART_TABLE_ENTRIES);

// A page on the heap at exactly 512 bytes, so that ASan sees a read past it.
std::unique_ptr<uint8_t[]> PageFrom(const uint8_t* data, size_t size, size_t start) {
    std::unique_ptr<uint8_t[]> page(new uint8_t[SMART_PAGE_SIZE]());
    if (size > start) {
        const size_t count = size - start < SMART_PAGE_SIZE ? size - start : SMART_PAGE_SIZE;
        std::memcpy(page.get(), data + start, count);
    }
    return page;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<uint8_t[]> dataPage = PageFrom(data, size, 0);
    const std::unique_ptr<uint8_t[]> thresholdPage = PageFrom(data, size, SMART_PAGE_SIZE);
    const bool noThresholds = size > FLAGS_AT && (data[FLAGS_AT] & FLAG_NO_THRESHOLDS) != 0;

    DriveInfo drive = StartDriveRecord(0);
    const bool available =
        ParseSmartPages(dataPage.get(), noThresholds ? nullptr : thresholdPage.get(), drive);

    size_t entries = 0;
    for (size_t i = 0; i < TABLE_ENTRIES; ++i) {
        entries += dataPage[SMART_TABLE_OFFSET + SMART_ENTRY_SIZE * i] != 0 ? 1 : 0;
    }
    Check(drive.attributes.size() == entries, "rows are not the page's non-empty entries");
    Check(drive.attributes.size() <= TABLE_ENTRIES, "more than 30 rows");
    Check(available == drive.smartAvailable && available == !drive.attributes.empty(),
          "availability does not follow the rows");
    Check(drive.smartSource == SOURCE_ATA, "source is not ATA");
    Check(drive.temperatureC == -1 || (drive.temperatureC >= 1 && drive.temperatureC <= 99),
          "implausible temperature picked");
    fuzz::CheckRows(drive);
    if (noThresholds) {
        for (const SmartAttribute& row : drive.attributes) {
            Check(row.threshold == 0, "a threshold without a thresholds page");
        }
    }

    AssessHealth(drive);
    fuzz::CheckVerdict(drive);

    std::memcpy(&drive.sizeBytes, thresholdPage.get() + SIZE_BYTES_AT, sizeof drive.sizeBytes);
    if (size > TEXTS_AT) {
        fuzz::SetTextsFromUnits(fuzz::UnitsFromBytes(data + TEXTS_AT, size - TEXTS_AT), drive);
    }
    fuzz::CheckRecordFields(drive);
    fuzz::CheckReport(drive);
    return 0;
}
