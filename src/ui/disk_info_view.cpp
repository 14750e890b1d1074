#include "ui/disk_info_view.h"

#include <algorithm>
#include <string>
#include <vector>

#include "drives/health.h"
#include "drives/nvme_health.h"
#include "state/app_state.h"
#include "text/text_format.h"
#include "ui/drive_list.h"
#include "ui/primitives.h"

namespace corvanite {

Color TemperatureColor(int32_t temperatureC) {
    if (temperatureC > TEMPERATURE_CRITICAL_ABOVE) {
        return COLOR_CRIT;
    }
    return temperatureC > TEMPERATURE_WARNING_ABOVE ? COLOR_WARN : COLOR_TEXT;
}

Color LifeRemainingColor(int32_t lifeRemaining) {
    if (lifeRemaining < 10) {
        return COLOR_CRIT;
    }
    return lifeRemaining < 25 ? COLOR_WARN : COLOR_GOOD;
}

namespace {

constexpr int32_t MARGIN = 12;       // the sheet from the content rectangle's left, top and right
constexpr int32_t LINE_HEIGHT = 20;  // a section strip's and a row's
constexpr int32_t TEXT_INSET = 8;    // section titles and labels from the sheet's left edge
constexpr int32_t CHARACTER_WIDTH = 8;  // one character of the fixed-pitch face at 96 dpi

// The sheet's drawing position: a fixed left edge and a top that only grows.
struct Sheet {
    DisplayList& dc;
    Rect content;
    int32_t x;
    int32_t y;

    void Section(std::u16string_view title) {
        const int32_t right = content.right - MARGIN;
        FillSolidRect(dc, Rect{x, y, right, y + LINE_HEIGHT}, COLOR_PANEL_BG);
        DrawLine(dc, Point{x, y + LINE_HEIGHT}, Point{right, y + LINE_HEIGHT}, COLOR_ACCENT);
        DrawTextAt(dc, x + TEXT_INSET, y + 2, title, COLOR_ACCENT);
        y += LINE_HEIGHT + 4;
    }

    // A row's value column: after the label's, to short of the content's right edge.
    Rect ValueRect() const { return Rect{x + 164, y, content.right - 22, y + LINE_HEIGHT}; }

    void Row(std::u16string_view label, std::u16string_view value, Color color) {
        DrawTextInRect(dc, Rect{x + TEXT_INSET, y, x + 160, y + LINE_HEIGHT}, label, COLOR_TEXT_DIM,
                       FONT_MAIN, ALIGN_LEFT);
        DrawTextInRect(dc, ValueRect(), value, color, FONT_MAIN, ALIGN_LEFT);
        y += LINE_HEIGHT + 2;
    }

    // A value that may be longer than the sheet is wide, on as many rows as it takes.
    void WrappedRow(std::u16string_view label, std::u16string_view value, Color color) {
        const int32_t width = ValueRect().right - ValueRect().left;
        const std::u16string lines =
            WrapAtBlanks(value, static_cast<size_t>(std::max(width / CHARACTER_WIDTH, 1)));
        size_t start = 0;
        for (size_t end = lines.find(u'\n');; end = lines.find(u'\n', start)) {
            Row(start == 0 ? label : u"",
                std::u16string_view(lines).substr(start,
                                                  end == std::u16string::npos ? end : end - start),
                color);
            if (end == std::u16string::npos) {
                break;
            }
            start = end + 1;
        }
    }
};

std::u16string_view OrDash(std::u16string_view text) {
    return text.empty() ? u"-" : text;
}

constexpr int32_t SECTION_GAP = 8;
// The sheet has room for this many reasons below the summary at the window's minimum size; the
// rest are counted, and all are in the JSON report.
constexpr size_t SHOWN_REASONS = 3;

Color ReasonColor(ReasonKind kind) {
    return kind == REASON_CRITICAL  ? COLOR_CRIT
           : kind == REASON_WARNING ? COLOR_WARN
                                    : COLOR_TEXT_SECONDARY;
}

}  // namespace

void DrawDiskInfoView(DisplayList& dc, Rect content) {
    const DriveInfo* shown = ShownDriveOrNotice(dc, content);
    if (shown == nullptr) {
        return;
    }
    const DriveInfo& d = *shown;

    Sheet sheet{dc, content, content.left + MARGIN, content.top + MARGIN};
    std::u16string scratch;

    sheet.Section(u">> DEVICE IDENTITY");
    sheet.Row(u"Model", OrDash(d.model.view()), COLOR_TEXT);
    sheet.Row(u"Serial", OrDash(d.serial.view()), COLOR_TEXT);
    sheet.Row(u"Firmware", OrDash(d.firmware.view()), COLOR_TEXT);
    sheet.Row(u"Path", d.devicePath.view(), COLOR_TEXT);

    sheet.y += SECTION_GAP;
    sheet.Section(u">> STORAGE CAPACITY");
    sheet.Row(u"Total Size", FormatCapacity(d.sizeBytes), COLOR_TEXT);
    AppendUnsigned(scratch, d.sizeBytes);
    scratch += u" bytes";
    sheet.Row(u"Raw Bytes", scratch, COLOR_TEXT);

    sheet.y += SECTION_GAP;
    sheet.Section(u">> INTERFACE");
    sheet.Row(u"Bus Type", d.busName.view(), COLOR_TEXT);
    sheet.Row(u"Drive Type", MediaWord(d.mediaType), COLOR_TEXT);

    sheet.y += SECTION_GAP;
    sheet.Section(u">> HEALTH SUMMARY");
    const Color health = HealthColor(d.health);
    sheet.Row(u"Status", HealthWord(d.health), health);
    sheet.Row(u"Details", OrDash(d.healthDetails.view()), health);
    if (!d.smartAvailable && !d.errorText.empty()) {
        sheet.WrappedRow(u"Reason", d.errorText.view(), COLOR_TEXT_DIM);
    }
    if (d.temperatureC > 0) {
        scratch.clear();
        AppendSigned(scratch, d.temperatureC);
        scratch += u" C";
        sheet.Row(u"Temperature", scratch, TemperatureColor(d.temperatureC));
    }
    if (d.lifeRemaining >= 0) {
        scratch.clear();
        AppendSigned(scratch, d.lifeRemaining);
        scratch += u'%';
        sheet.Row(u"Life Remaining", scratch, LifeRemainingColor(d.lifeRemaining));
    }
    const PowerOnTime on = DrivePowerOnTime(d);
    if (on.known) {
        sheet.Row(u"Power-On Time", PowerOnText(on), COLOR_TEXT);
    }
    // The NVMe warning bits have their own section below.
    std::vector<GradeReason> reasons = GradeReasons(d);
    std::erase_if(reasons, [&](const GradeReason& r) {
        return d.smartSource == SOURCE_NVME && r.attributeId == NVME_ID_CRITICAL_WARNING;
    });
    for (size_t i = 0; i < reasons.size() && i < SHOWN_REASONS; ++i) {
        sheet.Row(i == 0 ? u"Why" : u"", reasons[i].text, ReasonColor(reasons[i].kind));
    }
    if (reasons.size() > SHOWN_REASONS) {
        scratch.assign(u"and ");
        AppendUnsigned(scratch, reasons.size() - SHOWN_REASONS);
        scratch += u" more: see the SMART DATA table";
        sheet.Row(u"", scratch, COLOR_TEXT_DIM);
    }

    // Rows below the content rectangle are not clipped here; the status bar covers them.
    if (d.smartSource == SOURCE_NVME && d.nvmeCriticalWarning != 0) {
        sheet.y += SECTION_GAP;
        sheet.Section(u">> NVMe CRITICAL WARNINGS");
        for (const CriticalWarningBit& bit : CRITICAL_WARNING_BITS) {
            if ((d.nvmeCriticalWarning & bit.mask) != 0) {
                sheet.Row(u"", bit.text, bit.critical ? COLOR_CRIT : COLOR_WARN);
            }
        }
    }
}

}  // namespace corvanite
