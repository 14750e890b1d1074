// A stand-in for writing the report file: keeps what would have been written, or fails.
#pragma once

#include <string>

namespace corvanite::test {

struct FakeReportFile {
    bool fail = false;
    int writes = 0;
    std::u16string path;
    std::string bytes;
};

FakeReportFile& ReportFile();

}  // namespace corvanite::test
