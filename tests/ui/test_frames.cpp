// Whole frames of window states against their golden text under tests/data/frames (how to
// regenerate them: tests/data/frames/README.md).
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "drives/self_test.h"
#include "sample_drives.h"
#include "state/app_state.h"
#include "test_data.h"
#include "text/utf.h"
#include "ui/buttons.h"
#include "ui/disk_info_view.h"
#include "ui/drive_list.h"
#include "ui/frame.h"

namespace corvanite::test {
namespace {

// Every operation of the list on its line, then what the frame registered.
std::string FrameText(const DisplayList& list, const FrameOutput& out) {
    const char* const kinds[] = {"fill", "line", "outline", "text", "text-in", "clip", "pop"};
    std::string s;
    char line[192];
    auto rect = [&](const std::string& what, Rect r) {
        std::snprintf(line, sizeof line, " %d %d %d %d", r.left, r.top, r.right, r.bottom);
        s += what + line;
    };
    for (const DrawOp& op : list.ops) {
        rect(kinds[static_cast<int>(op.kind)], op.rect);
        std::snprintf(line, sizeof line, " #%06X font %d align %d \"", op.color, op.font, op.align);
        std::string text = Utf16ToUtf8(list.TextOf(op));
        for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos;) {
            text.replace(at, 1, "\\n");
        }
        const bool shown = op.kind == DrawKind::TEXT_AT || op.kind == DrawKind::TEXT_IN_RECT;
        s += shown ? line + text + "\"\n"
                   : std::string(line, op.kind < DrawKind::CLIP_PUSH ? 8 : 0) + '\n';
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
// A reason as long as the system's words make one (a driver's refusal with its error text).
constexpr std::u16string_view LONG_REASON =
    u"SMART read refused by the driver (error 1117): The request could not be performed because of "
    u"an I/O device error; "
    u"the enclosure did not pass the request on";
void Show(int32_t tab, int32_t drive) {
    static bool ok = false;
    static const std::vector<DriveInfo> drives =
        sample::SampleDrives(CORVANITE_TEST_DATA "/traces/sample-machine.jsonl", ok);
    EXPECT_TRUE(ok);
    appState.drives = drives;
    appState.activeTab = tab;
    appState.selectedDrive = drive;
    SetStatusText(u"READY  //  /dev/sda  //  30 attrs");
}

// A volume check's output, its lines in every keyword's colour, and its result once finished.
void Check(int count, bool running, bool exitNonZero = false, bool fixed = false) {
    // clang-format off
    static const char16_t* const lines[] = {u"Stage 1: reading file records ...", u"", u"an error occurred",
        u"Errors found in the bitmap.", u"warning: 3 files fixed", u"Warning: index", u"error corrected",
        u"  Attribute list corrected.", u"3 index entries fixed", u"ERROR plain"};
    // clang-format on
    Show(TAB_SCAN_REPAIR, 0);
    for (int i = 0; i < count; ++i) {
        appState.chkdskLines.push_back(lines[i % 10] + std::u16string(1, u'A' + i % 26));
    }
    appState.chkdskRunning = running;
    appState.chkdskResultReady = !running;
    appState.chkdskExitNonZero = exitNonZero;
    appState.chkdskFixed = fixed;
    appState.chkdskResultText = std::u16string(running ? u"" : u"Volume check ended.");
}

// The sample machine's volumes known, drive `drive` selected and `target` the volume.
void Volumes(int32_t drive, std::u16string_view target) {
    appState.volumes = sample::SampleVolumeAccess().listVolumes();
    appState.selectedDrive = drive;
    appState.targetVolume.Set(target);
}

// clang-format off
const std::tuple<const char*, int, int, void (*)()> STATES[] = {
    {"fresh", 1200, 750, [] {}},
    {"scanning", 1200, 750, [] { appState.scanning = true; SetStatusText(u"Scanning drives..."); }},
    {"scanning-half-answered", 1200, 750, [] { Show(TAB_SMART, 1); appState.scanning = true; appState.scanStartTick = 5; appState.tickCount = 65;
        SetStatusText(u"Scanning drives...  //  2 of 5 answered"); for (size_t i = 2; i < 5; ++i) { appState.drives[i].answering = true; } }},  // 3 s so far
    {"none-found-skipped", 1200, 750, [] { appState.skippedDrivesText = u"2 disks could not be opened (access denied), run as administrator"; }},
    {"min-none-found-wrap-edges", 800, 580, [] { appState.skippedDrivesText = u"12345 a bbbbbbbbbbbbbbbbbbbb c dddddddddddddddddddddd"; }},  // lines of exactly 22, one-letter words
    {"smart-maxtor-hover-row", 1200, 750, [] { Show(TAB_SMART, 0); appState.hoverDriveRow = 2; }},
    {"smart-maxtor-scroll-past-end", 1200, 750, [] { Show(TAB_SMART, 0); appState.smartScroll = 100; }},
    {"smart-samsung-hover-export", 1200, 750, [] { Show(TAB_SMART, 1); appState.hoverButton = BTN_EXPORT; }},
    {"smart-samsung-press-export", 1200, 750, [] { Show(TAB_SMART, 1); appState.hoverButton = appState.pressedButton = BTN_EXPORT;
        appState.drives[1].temperatureC = 0; }},  // a sensor that reads 0: no temperature
    {"smart-nvme-hover-close", 1200, 750, [] { Show(TAB_SMART, NVME); appState.hoverButton = BTN_CLOSE; }},
    {"smart-no-data-press-minimize", 1200, 750, [] { Show(TAB_SMART, NO_DATA); appState.hoverButton = appState.pressedButton = BTN_MINIMIZE; }},
    {"smart-selection-past-end", 1200, 750, [] { Show(TAB_SMART, NO_DATA + 1); appState.smartScroll = -3; }},
    {"smart-models-at-the-cut", 1200, 750, [] { // the cut of long models: at it, past it, a surrogate pair or half of one there
        const std::u16string a = u"aaaaaaaaaaaaaa", disk = u"\U0001F4BE", models[] = {u"ABCDEFGHIJKLMNOPQR", u"ABCDEFGHIJKLMNOPQRS",
            a + u"a" + disk + u"zz", a + disk + u"zzz", a + u"a" + disk.substr(0, 1) + u"zzz"};
        Show(TAB_SMART, 0); for (size_t i = 0; i < 5; ++i) { appState.drives[i].model.Set(models[i]); } }},
    {"disk-info-samsung", 1200, 750, [] { Show(TAB_DISK_INFO, 1); }},
    {"disk-info-nvme-critical", 1200, 750, [] { Show(TAB_DISK_INFO, NVME); }},
    {"disk-info-reasons-beyond-three", 1200, 750, [] { Show(TAB_DISK_INFO, 0);  // the first five rows warn
        for (size_t i = 0; i < 5; ++i) { appState.drives[0].attributes[i].warning = true; appState.drives[0].attributes[i].cause = CAUSE_RAW_NOT_ZERO; } }},
    {"disk-info-no-data", 1200, 750, [] { Show(TAB_DISK_INFO, NO_DATA); }},
    {"disk-info-empty", 1200, 750, [] { appState.activeTab = TAB_DISK_INFO; }},
    {"disk-info-worn-out-ssd", 1200, 750, [] { Show(TAB_DISK_INFO, 2); appState.drives[2].lifeRemaining = 0; appState.drives[2].temperatureC = 1;
        appState.drives[2].errorText.Set(u"thresholds refused"); appState.drives[2].nvmeCriticalWarning = 4; }},  // 0 % and 1 C shown; no reason, no NVMe section
    {"min-smart-no-data-long-reason", 800, 580, [] { Show(TAB_SMART, NO_DATA); appState.drives[NO_DATA].errorText.Set(LONG_REASON); }},  // wrapped under the notice
    {"min-disk-info-no-data-long-reason", 800, 580, [] { Show(TAB_DISK_INFO, NO_DATA); appState.drives[NO_DATA].errorText.Set(LONG_REASON); }},
    {"smart-good-failed-in-the-past", 1200, 750, [] { Show(TAB_SMART, 2); appState.drives[2].attributes[8].worst = 90; }},  // B8: worst 90 at its threshold 90, now 100
    {"min-disk-info-sensor-reads-0", 800, 580, [] { Show(TAB_DISK_INFO, 1); appState.drives[1].temperatureC = 0; }},  // no temperature row
    {"self-test-running-failed-before-hover-abort", 1200, 750, [] { Show(TAB_SELF_TEST, 1); appState.hoverButton = BTN_SELF_TEST_ABORT;
        SelfTestState& st = appState.drives[1].selfTest; st.running = true; st.percentDone = 40;
        st.log.insert(st.log.begin(), SelfTestLogEntry{SELF_TEST_EXTENDED, 2, 7, SELF_TEST_FAILED, 7100, 0, true, 1193046}); }},
    {"self-test-none-on-the-usb-enclosure", 1200, 750, [] { Show(TAB_SELF_TEST, NO_DATA); }},
    {"self-test-log-unread", 1200, 750, [] { Show(TAB_SELF_TEST, 0);  // one minute; one not said
        appState.drives[0].selfTest.shortMinutes = 1; appState.drives[0].selfTest.extendedMinutes = 0; }},
    {"min-self-test-nvme-log-cut-at-the-bottom", 800, 580, [] { Show(TAB_SELF_TEST, NVME); auto& log = appState.drives[NVME].selfTest.log; log.resize(20, log.back()); }},
    {"scan-idle-volume-d", 1200, 750, [] { Check(0, false); appState.chkdskResultReady = false; appState.targetVolume.Set(u"D:"); }},
    {"scan-volumes-of-the-drive", 1200, 750, [] { Check(0, false); appState.chkdskResultReady = false; Volumes(1, u"G:"); appState.hoverButton = BTN_VOLUME_FIRST; }},
    {"min-scan-no-volume-at-q-drive-without-volumes", 800, 580, [] { Check(0, false); appState.chkdskResultReady = false; Volumes(2, u"Q:"); }},
    {"min-scan-linux-filesystem-mounted", 800, 580, [] { Check(0, false); appState.chkdskResultReady = false;
        appState.volumes = {true, false, {{.name = u"/dev/sda1", .label = u"cvt data", .fileSystem = u"ext4", .sizeBytes = 8388608,
            .diskPaths = {u"/dev/sda"}, .mountPoint = u"/mnt/data"}, {.name = u"/dev/nvme0n1p2", .fileSystem = u"exfat", .diskPaths = {u"/dev/sda"}, .checkerFound = false}}};
        appState.targetVolume.Set(u"/dev/nvme0n1p2"); }},
    {"scan-running-hover-cancel", 1200, 750, [] { Check(28, true); appState.tickCount = 4; appState.chkdskScroll = 2; appState.hoverButton = BTN_CANCEL; }},
    {"min-scan-running-spinner-wraps", 800, 580, [] { Check(3, true); appState.tickCount = 13; }},  // the fifth step shows the first frame again
    {"scan-finished-fixed-at-end", 1200, 750, [] { Check(40, false, true, true); appState.chkdskScroll = 1000; }},
    {"scan-finished-failed-top", 1200, 750, [] { Check(40, false, true); }},
    {"min-smart-scrolled", 800, 580, [] { Show(TAB_SMART, 0); appState.smartScroll = 8; }},
    {"smart-rows-fill-the-body", 1200, 752, [] { Show(TAB_SMART, 0); appState.drives[0].temperatureC = 55; }},  // 23 rows of 20 fit the body's 460 exactly; 55 C not yet amber
    {"min-smart-sensor-at-1", 800, 580, [] { Show(TAB_SMART, 1); appState.drives[1].temperatureC = 1; }},
    {"min-disk-info-nvme", 800, 580, [] { Show(TAB_DISK_INFO, NVME); appState.drives[NVME].nvmeCriticalWarning = 1; }},  // bit 0 alone
    {"min-scan-finished-clean", 800, 590, [] { Check(40, false); appState.chkdskScroll = 1000; }},
    {"min-sixteen-drives-scrolled", 800, 580, [] {
        Show(TAB_SMART, 15); appState.drives.resize(MAX_DRIVES, appState.drives[1]); appState.driveScroll = 6; appState.hoverDriveRow = 9; }},
    {"smart-one-card-over", 1200, 750, [] { Show(TAB_SMART, 0); appState.drives.resize(10, appState.drives[1]); }},
    {"max-smart", 1920, 1080, [] { Show(TAB_SMART, 2); appState.maximized = true; }},
    {"max-scan-running", 1920, 1080, [] { Check(80, true); appState.maximized = true; appState.tickCount = 11; }},
};
// clang-format on

TEST(Frames, EachStateMatchesItsGoldenText) {
    DisplayList list;  // one list and output for all: each frame starts from empty ones
    FrameOutput out;
    for (const auto& [name, width, height, setup] : STATES) {
        ResetAppState();
        setup();
        BuildFrame(list, out, width, height);
        CheckGolden(std::string("frames/") + name + ".txt", FrameText(list, out));
    }
    ResetAppState();
}

// A model cut where the first half of a surrogate pair would stand alone, at either end of its
// range.
TEST(Frames, ModelCutKeepsPairsWhole) {
    for (const char16_t high : {u'\xD800', u'\xDBFF'}) {
        EXPECT_EQ(ShortenModel(std::u16string(15, u'a') + high + u"\xDC00zzz"),
                  std::u16string(15, u'a') + u"..");
    }
}

// The colour bands' edges, which one drive per frame cannot show.
TEST(Frames, ColourBands) {
    // clang-format off
    for (auto [value, temperature, life] : {std::tuple{9, COLOR_TEXT, COLOR_CRIT}, {10, COLOR_TEXT, COLOR_WARN}, {24, COLOR_TEXT, COLOR_WARN},
         {25, COLOR_TEXT, COLOR_GOOD}, {55, COLOR_TEXT, COLOR_GOOD}, {56, COLOR_WARN, COLOR_GOOD}, {65, COLOR_WARN, COLOR_GOOD}, {66, COLOR_CRIT, COLOR_GOOD}}) {
        // clang-format on
        EXPECT_EQ(TemperatureColor(value), temperature) << value;
        EXPECT_EQ(LifeRemainingColor(value), life) << value;
    }
}

}  // namespace
}  // namespace corvanite::test
