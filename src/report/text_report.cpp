#include "report/text_report.h"

#include "text/text_format.h"
#include "text/utf.h"

namespace corvanite {
namespace {

constexpr std::u16string_view LINE_END = u"\r\n";

void AppendLabelled(std::u16string& out, std::u16string_view label, std::u16string_view value) {
    out.append(label).append(value).append(LINE_END);
}

void AppendAttributeRow(std::u16string& out, const SmartAttribute& row) {
    out.append(u"  ");
    AppendHex(out, row.id, 2);
    out.append(u"   ");
    AppendPaddedLeft(out, row.name.view(), 32);
    out.append(u"  ");
    AppendUnsignedRight(out, row.current, 3);
    out.append(u"  ");
    AppendUnsignedRight(out, row.worst, 3);
    out.append(u"  ");
    AppendUnsignedRight(out, row.threshold, 3);
    out.append(u"  ");
    const size_t rawStart = out.size();
    AppendUnsigned(out, AttributeRawValue(row));
    const size_t rawLength = out.size() - rawStart;
    if (rawLength < 18) {
        out.append(18 - rawLength, u' ');
    }
    out.append(u"  ");
    out.append(AttributeStatusWord(row));
    out.append(LINE_END);
}

void AppendDriveBlock(std::u16string& out, const DriveInfo& drive) {
    out.append(u"Drive ");
    AppendSigned(out, drive.driveNumber);
    out.append(u": ").append(drive.model.view()).append(LINE_END);
    AppendLabelled(out, u"  Serial : ", drive.serial);
    AppendLabelled(out, u"  Size   : ", FormatCapacity(drive.sizeBytes));
    AppendLabelled(out, u"  Bus    : ", drive.busName);
    out.append(u"  Health : ").append(HealthWord(drive.health)).append(u"  ");
    out.append(drive.healthDetails.view()).append(LINE_END);
    if (!drive.smartAvailable && !drive.errorText.empty()) {
        AppendLabelled(out, u"  Reason : ", drive.errorText.view());
    }
    if (drive.temperatureC > 0) {
        out.append(u"  Temp   : ");
        AppendSigned(out, drive.temperatureC);
        out.append(u" C").append(LINE_END);
    }
    out.append(LINE_END);
    out.append(u"  SMART ATTRIBUTES:").append(LINE_END);
    out.append(u"  ID   Name                          CUR  WST  THR  RAW VALUE         STATUS");
    out.append(LINE_END);
    for (const SmartAttribute& row : drive.attributes) {
        AppendAttributeRow(out, row);
    }
    out.append(LINE_END);
}

}  // namespace

std::u16string ReportText(const std::vector<DriveInfo>& drives) {
    std::u16string out;
    out.append(u"Corvanite Report").append(LINE_END);
    out.append(u"================").append(LINE_END);
    out.append(LINE_END);
    for (const DriveInfo& drive : drives) {
        AppendDriveBlock(out, drive);
    }
    return out;
}

std::u16string DriveReportText(const DriveInfo& drive) {
    std::u16string out;
    AppendDriveBlock(out, drive);
    return out;
}

std::string ReportFileBytes(const std::vector<DriveInfo>& drives) {
    const std::u16string text = ReportText(drives);
    std::string bytes = "\xEF\xBB\xBF";
    AppendUtf8(bytes, text);
    return bytes;
}

}  // namespace corvanite
