// Whole frames of a set of window states, compared with their text under tests/data/frames: every
// operation of the display list and everything the frame registered. After an intended change
// of the layout, regenerate them and review the diff:
//   CORVANITE_UPDATE_GOLDEN=1 build/linux/tests/corvanite_tests --gtest_filter='Frames.*'
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "sample_drives.h"
#include "state/app_state.h"
#include "test_data.h"
#include "text/utf.h"
#include "ui/buttons.h"
#include "ui/disk_info_view.h"
#include "ui/drive_list.h"
#include "ui/frame.h"
#include "ui/scan_repair_view.h"

namespace corvanite::test {
namespace {

std::string FrameText(const DisplayList& list, const FrameOutput& out) {
    static const char* const kinds[] = {"fill",    "line", "outline", "text",
                                        "text-in", "clip", "pop"};
    static const char* const aligns[] = {" center", " left", " right", " top-center"};
    std::string s;
    char line[96];
    auto rect = [&](const std::string& what, Rect r) {
        std::snprintf(line, sizeof line, "%s %d %d %d %d", what.c_str(), r.left, r.top, r.right,
                      r.bottom);
        s += line;
    };
    for (const DrawOp& op : list.ops) {
        rect(kinds[static_cast<int>(op.kind)], op.rect);
        if (op.kind < DrawKind::CLIP_PUSH) {
            std::snprintf(line, sizeof line, " #%06X", op.color);
            s += line;
        }
        if (op.kind == DrawKind::TEXT_AT || op.kind == DrawKind::TEXT_IN_RECT) {
            s += op.font == FONT_LARGE ? " large" : " main";
            s += op.kind == DrawKind::TEXT_IN_RECT ? aligns[op.align] : "";
            std::string text = Utf16ToUtf8(list.TextOf(op));
            for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos;) {
                text.replace(at, 1, "\\n");
            }
            s += " \"" + text + "\"";
        }
        s += '\n';
    }
    for (const ButtonEntry& button : out.buttons) {
        rect("\nbutton " + std::to_string(button.id) + ":", button.rect);
    }
    for (int tab = 0; tab < TAB_COUNT; ++tab) {
        rect("\ntab " + std::to_string(tab) + ":", out.tabRects[tab]);
    }
    for (size_t row = 0; row < out.driveRows.size(); ++row) {
        rect("\ndrive row " + std::to_string(row) + ":", out.driveRows[row]);
    }
    rect("\ndrag zone:", out.dragZone);
    std::snprintf(line, sizeof line, "\nsmart scroll %d of %d (%d)\nchkdsk scroll %d of %d (%d)\n",
                  out.smartScroll, out.smartScrollMax, out.smartScrolled, out.chkdskScroll,
                  out.chkdskScrollMax, out.chkdskScrolled);
    return s + line;
}

const std::vector<DriveInfo>& Drives() {
    static const std::vector<DriveInfo> drives = [] {
        bool ok = false;
        std::vector<DriveInfo> loaded =
            sample::SampleDrives(std::string(CORVANITE_TEST_DATA) + "/ata-smart", ok);
        EXPECT_TRUE(ok);
        return loaded;
    }();
    return drives;
}
constexpr int32_t NVME = 6, NO_DATA = 7;  // after the six captured ATA drives

void Show(int32_t tab, int32_t drive) {
    appState.drives = Drives();
    appState.activeTab = tab;
    appState.selectedDrive = drive;
    SetStatusText(u"READY  //  /dev/sda  //  30 attrs");
}

// The volume check's output: count lines with every keyword colour; a result when finished.
void Check(int count, bool running, bool exitNonZero = false, bool fixed = false) {
    static const char16_t* const lines[] = {u"Stage 1 of 3: reading file records ...",
                                            u"Errors found in the free space bitmap.",
                                            u"Warning: index entry in use elsewhere.",
                                            u"  Attribute list corrected.",
                                            u"",
                                            u"ERROR plain"};
    Show(TAB_SCAN_REPAIR, 0);
    for (int i = 0; i < count; ++i) {
        appState.chkdskLines.push_back(lines[i % 6] + std::u16string(i % 6 == 4 ? u"" : u" ") +
                                       static_cast<char16_t>(u'A' + i % 26));
    }
    appState.chkdskRunning = running;
    appState.chkdskResultReady = !running;
    appState.chkdskExitNonZero = exitNonZero;
    appState.chkdskFixed = fixed;
    appState.chkdskResultText = running ? u"" : u"Volume check ended (exit code 1).";
}

struct State {
    const char* name;
    int width;
    int height;
    void (*setup)();
};
// clang-format off
const State STATES[] = {
    {"fresh", 1200, 750, [] {}},
    {"scanning", 1200, 750, [] { appState.scanning = true; SetStatusText(u"Scanning drives..."); }},
    {"none-found-skipped", 1200, 750, [] { appState.skippedDrivesText = u"2 disks could not be opened (access denied), run as administrator"; }},
    {"smart-maxtor-hover-row", 1200, 750, [] { Show(TAB_SMART, 0); appState.hoverDriveRow = 2; }},
    {"smart-maxtor-scroll-past-end", 1200, 750, [] { Show(TAB_SMART, 0); appState.smartScroll = 100; }},
    {"smart-samsung-hover-export", 1200, 750, [] { Show(TAB_SMART, 1); appState.hoverButton = BTN_EXPORT; }},
    {"smart-samsung-press-export", 1200, 750, [] { Show(TAB_SMART, 1); appState.hoverButton = appState.pressedButton = BTN_EXPORT; }},
    {"smart-nvme-hover-close", 1200, 750, [] { Show(TAB_SMART, NVME); appState.hoverButton = BTN_CLOSE; }},
    {"smart-no-data-press-minimize", 1200, 750, [] { Show(TAB_SMART, NO_DATA); appState.hoverButton = appState.pressedButton = BTN_MINIMIZE; }},
    {"smart-selection-past-end", 1200, 750, [] { Show(TAB_SMART, NO_DATA + 1); appState.smartScroll = -3; }},
    {"disk-info-samsung", 1200, 750, [] { Show(TAB_DISK_INFO, 1); }},
    {"disk-info-nvme-critical", 1200, 750, [] { Show(TAB_DISK_INFO, NVME); }},
    {"disk-info-no-data", 1200, 750, [] { Show(TAB_DISK_INFO, NO_DATA); }},
    {"disk-info-empty", 1200, 750, [] { appState.activeTab = TAB_DISK_INFO; }},
    {"scan-idle-volume-d", 1200, 750, [] { Check(0, false); appState.chkdskResultReady = false; appState.targetVolume.Set(u"D:"); }},
    {"scan-running-hover-cancel", 1200, 750, [] { Check(40, true); appState.tickCount = 4; appState.chkdskScroll = 2; appState.hoverButton = BTN_CANCEL; }},
    {"scan-finished-fixed-at-end", 1200, 750, [] { Check(40, false, true, true); appState.chkdskScroll = 1000; }},
    {"scan-finished-failed-top", 1200, 750, [] { Check(40, false, true); }},
    {"min-smart-scrolled", 800, 580, [] { Show(TAB_SMART, 0); appState.smartScroll = 8; }},
    {"min-disk-info-nvme", 800, 580, [] { Show(TAB_DISK_INFO, NVME); }},
    {"min-scan-finished-clean", 800, 580, [] { Check(40, false); appState.chkdskScroll = 1000; }},
    {"max-smart", 1920, 1080, [] { Show(TAB_SMART, 2); appState.maximized = true; }},
    {"max-scan-running", 1920, 1080, [] { Check(80, true); appState.maximized = true; appState.tickCount = 11; }},
};
// clang-format on

TEST(Frames, EachStateMatchesItsGoldenText) {
    const bool update = std::getenv("CORVANITE_UPDATE_GOLDEN") != nullptr;
    DisplayList list;  // one list and output for all: each frame starts from empty ones
    FrameOutput out;
    for (const State& state : STATES) {
        SCOPED_TRACE(state.name);
        ResetAppState();
        state.setup();
        BuildFrame(list, out, state.width, state.height);
        const std::string text = FrameText(list, out);
        const std::string file = std::string("frames/") + state.name + ".txt";
        if (update) {
            std::ofstream(std::string(CORVANITE_TEST_DATA) + "/" + file, std::ios::binary) << text;
        }
        EXPECT_EQ(text, ReadTestText(file));
    }
    ResetAppState();
}

// What a frame cannot show at once: the cut of long models, and the colour bands' edges.
TEST(Frames, ModelCutAndColourBands) {
    const std::u16string disk = u"\U0001F4BE";
    const std::pair<std::u16string, std::u16string> models[] = {
        {u"ABCDEFGHIJKLMNOPQR", u"ABCDEFGHIJKLMNOPQR"},
        {u"ABCDEFGHIJKLMNOPQRS", u"ABCDEFGHIJKLMNOP.."},
        {std::u16string(15, u'a') + disk + u"zz", std::u16string(15, u'a') + u".."},
        {std::u16string(14, u'a') + disk + u"zzz", std::u16string(14, u'a') + disk + u".."}};
    for (const auto& [model, shown] : models) {
        EXPECT_EQ(ShortenModel(model), shown);
    }
    const std::pair<int32_t, Color> temperatures[] = {
        {55, COLOR_TEXT}, {56, COLOR_WARN}, {65, COLOR_WARN}, {66, COLOR_CRIT}};
    for (const auto& [celsius, color] : temperatures) {
        EXPECT_EQ(TemperatureColor(celsius), color) << celsius;
    }
    const std::pair<int32_t, Color> lives[] = {
        {9, COLOR_CRIT}, {10, COLOR_WARN}, {24, COLOR_WARN}, {25, COLOR_GOOD}};
    for (const auto& [life, color] : lives) {
        EXPECT_EQ(LifeRemainingColor(life), color) << life;
    }
    const std::pair<std::u16string_view, Color> lines[] = {
        {u"an error occurred", COLOR_CRIT},
        {u"warning: 3 files fixed", COLOR_WARN},
        {u"error corrected", COLOR_CRIT},
        {u"3 index entries fixed", COLOR_GOOD},
        {u"ERROR IN CAPITALS", COLOR_TEXT_SECONDARY}};
    for (const auto& [text, color] : lines) {
        EXPECT_EQ(OutputLineColor(text), color) << Utf16ToUtf8(text);
    }
}

}  // namespace
}  // namespace corvanite::test
