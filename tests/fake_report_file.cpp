#include "fake_report_file.h"

#include "report/report_file.h"

namespace corvanite {
namespace {
test::FakeReportFile file;
}  // namespace

namespace test {
FakeReportFile& ReportFile() {
    return file;
}
}  // namespace test

bool WriteReportFile(std::u16string_view path, std::string_view bytes, std::u16string& reason,
                     uint32_t& errorCode) {
    ++file.writes;
    file.path = path;
    if (file.fail) {
        reason = u"Access is denied";
        errorCode = 5;
        return false;
    }
    file.bytes = bytes;
    return true;
}

}  // namespace corvanite
