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
    std::string s;
    char line[192];
    auto rect = [&](const std::string& what, Rect r) {
        std::snprintf(line, sizeof line, "%s %d %d %d %d", what.c_str(), r.left, r.top, r.right,
                      r.bottom);
        s += line;
    };
    for (const DrawOp& op : list.ops) {
        rect(kinds[static_cast<int>(op.kind)], op.rect);
        std::snprintf(line, sizeof line, " #%06X font %d align %d \"", op.color, op.font, op.align);
        if (op.kind == DrawKind::TEXT_AT || op.kind == DrawKind::TEXT_IN_RECT) {
            std::string text = Utf16ToUtf8(list.TextOf(op));
            for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos;) {
                text.replace(at, 1, "\\n");
            }
            s += line + text + '"';
        } else if (op.kind < DrawKind::CLIP_PUSH) {
            s += std::string(line, 8);  // the colour
        }
        s += '\n';
    }
    for (const ButtonEntry& button : out.buttons) {
        rect("\nbutton " + std::to_string(button.id) + ":", button.rect);
    }
    for (int i = 0; i < TAB_COUNT; ++i) {
        rect("\ntab " + std::to_string(i) + ":", out.tabRects[i]);
    }
    for (const DriveRowEntry& row : out.driveRows) {
        rect("\ndrive row " + std::to_string(row.drive) + ":", row.rect);
    }
    rect("\ndrive list:", out.driveListArea);
    rect("\ndrag zone:", out.dragZone);
    std::snprintf(line, sizeof line,
                  "\nsmart scroll %d of %d (%d), page %d\nchkdsk scroll %d of %d (%d), page %d\n"
                  "drive scroll %d of %d, page %d\n",
                  out.smartScroll, out.smartScrollMax, out.smartScrolled, out.smartPageRows,
                  out.chkdskScroll, out.chkdskScrollMax, out.chkdskScrolled, out.chkdskPageLines,
                  out.driveScroll, out.driveScrollMax, out.drivePageRows);
    return s + line;
}

// The sample drives: six captured ATA drives, then an NVMe drive and one without data.
constexpr int32_t NVME = 6, NO_DATA = 7;
void Show(int32_t tab, int32_t drive) {
    static bool ok = false;
    static const std::vector<DriveInfo> drives =
        sample::SampleDrives(std::string(CORVANITE_TEST_DATA) + "/ata-smart", ok);
    EXPECT_TRUE(ok);
    appState.drives = drives;
    appState.activeTab = tab;
    appState.selectedDrive = drive;
    SetStatusText(u"READY  //  /dev/sda  //  30 attrs");
}

// A volume check's output, lines of every keyword colour, and its result once finished.
void Check(int count, bool running, bool exitNonZero = false, bool fixed = false) {
    static const char16_t* const lines[] = {u"Stage 1: reading file records ...", u"",
                                            u"Errors found in the bitmap.",       u"Warning: index",
                                            u"  Attribute list corrected.",       u"ERROR plain"};
    Show(TAB_SCAN_REPAIR, 0);
    for (int i = 0; i < count; ++i) {
        appState.chkdskLines.push_back(lines[i % 6] + std::u16string(1, u'A' + i % 26));
    }
    appState.chkdskRunning = running;
    appState.chkdskResultReady = !running;
    appState.chkdskExitNonZero = exitNonZero;
    appState.chkdskFixed = fixed;
    appState.chkdskResultText = std::u16string(running ? u"" : u"Volume check ended.");
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
    {"scan-running-hover-cancel", 1200, 750, [] { Check(28, true); appState.tickCount = 4; appState.chkdskScroll = 2; appState.hoverButton = BTN_CANCEL; }},
    {"scan-finished-fixed-at-end", 1200, 750, [] { Check(40, false, true, true); appState.chkdskScroll = 1000; }},
    {"scan-finished-failed-top", 1200, 750, [] { Check(40, false, true); }},
    {"min-smart-scrolled", 800, 580, [] { Show(TAB_SMART, 0); appState.smartScroll = 8; }},
    {"min-disk-info-nvme", 800, 580, [] { Show(TAB_DISK_INFO, NVME); }},
    {"min-scan-finished-clean", 800, 590, [] { Check(40, false); appState.chkdskScroll = 1000; }},
    {"min-sixteen-drives-scrolled", 800, 580, [] {
        Show(TAB_SMART, 15); appState.drives.resize(MAX_DRIVES, appState.drives[1]); appState.driveScroll = 6; appState.hoverDriveRow = 9; }},
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

// What the frames cannot show at once: the cut of long models, and the colour bands' edges.
TEST(Frames, ModelCutAndColourBands) {
    const std::u16string a14(14, u'a'), disk = u"\U0001F4BE";
    // clang-format off
    for (const auto& [model, shown] : {std::pair<std::u16string, std::u16string>{u"ABCDEFGHIJKLMNOPQR", u"ABCDEFGHIJKLMNOPQR"},
         {u"ABCDEFGHIJKLMNOPQRS", u"ABCDEFGHIJKLMNOP.."}, {a14 + u"a" + disk + u"zz", a14 + u"a.."}, {a14 + disk + u"zzz", a14 + disk + u".."},
         {a14 + u"a" + disk.substr(0, 1) + u"zzz", a14 + u"a.."}}) {
        EXPECT_EQ(ShortenModel(model), shown);
    }
    for (auto [value, temperature, life] : {std::tuple{9, COLOR_TEXT, COLOR_CRIT}, {10, COLOR_TEXT, COLOR_WARN}, {24, COLOR_TEXT, COLOR_WARN},
         {25, COLOR_TEXT, COLOR_GOOD}, {55, COLOR_TEXT, COLOR_GOOD}, {56, COLOR_WARN, COLOR_GOOD}, {65, COLOR_WARN, COLOR_GOOD}, {66, COLOR_CRIT, COLOR_GOOD}}) {
        EXPECT_EQ(TemperatureColor(value), temperature) << value;
        EXPECT_EQ(LifeRemainingColor(value), life) << value;
    }
    for (auto [text, color] : {std::pair{u"an error occurred", COLOR_CRIT}, {u"warning: 3 files fixed", COLOR_WARN}, {u"error corrected", COLOR_CRIT},
         {u"3 index entries fixed", COLOR_GOOD}, {u"ERROR IN CAPITALS", COLOR_TEXT_SECONDARY}}) {
        EXPECT_EQ(OutputLineColor(text), color) << Utf16ToUtf8(text);
    }
    // clang-format on
}

}  // namespace
}  // namespace corvanite::test
