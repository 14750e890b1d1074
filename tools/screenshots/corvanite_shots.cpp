// corvanite-shots: renders the window in a set of typical states to PNG files, without any
// window or display, for the documentation and for looking at the layout by eye.
//
//     corvanite-shots [OUTPUT_FOLDER]
//
// The drives are the sample machine's trace (tests/data/traces/sample-machine.jsonl) replayed
// through the probe: real drives' SMART and IDENTIFY pages, plus an NVMe drive whose health log
// carries critical warnings and a drive that gave no health data. Built with the tests on Linux;
// not installed.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "../sample_drives/sample_drives.h"
#include "state/app_state.h"
#include "text/text_format.h"
#include "ui/render_cairo_testing.h"
#include "volume_check/child_posix_testing.h"
#include "volume_check/chkdsk_outcome.h"

namespace {

using namespace corvanite;

// Invented output of a volume check: progress lines and a few that carry each keyword.
const char* const OUTPUT[] = {
    "Volume check started (fix mode).",
    "The type of the file system is NTFS.",
    "Volume label is SYSTEM.",
    "",
    "Stage 1 of 3: reading file records ...",
    "  262144 file records processed.",
    "  24 large file records processed.",
    "  0 bad file records processed.",
    "Stage 2 of 3: checking the directory index ...",
    "  318221 index entries processed.",
    "Warning: the index of directory 4127 lists a record that is in use elsewhere.",
    "  5 orphaned files relinked.",
    "Error in the attribute list of file record 88213.",
    "  Attribute list of file record 88213 corrected.",
    "Stage 3 of 3: checking security descriptors ...",
    "  262144 security descriptors processed.",
    "Errors found in the free space bitmap.",
    "  Free space bitmap fixed.",
    "  Usage journal checked.",
    "",
    " 487718911 KB total disk space.",
    "  112401828 KB in 216940 files.",
    "     156412 KB in 42180 indexes.",
    "          0 KB in bad sectors.",
    "     615267 KB in use by the system.",
    "      65536 KB occupied by the log file.",
    " 374545404 KB available on disk.",
    "",
    "       4096 bytes in each allocation unit.",
    "  121929727 total allocation units on disk.",
    "   93636351 allocation units available on disk.",
    "warning: one file name was too long for the short-name table and was left as it is.",
    "Volume check finished.",
};

void SetOutput(size_t count, const ChkdskResult* result) {
    std::lock_guard<std::mutex> lock(appState.chkdskLinesLock);
    appState.chkdskLines.clear();
    constexpr size_t total = sizeof(OUTPUT) / sizeof(OUTPUT[0]);
    for (size_t i = 0; i < count && i < total; ++i) {
        appState.chkdskLines.push_back(AsciiText(OUTPUT[i]));
    }
    appState.chkdskResultReady = result != nullptr && result->ready;
    appState.chkdskExitNonZero = result != nullptr && result->exitNonZero;
    appState.chkdskFixed = result != nullptr && result->fixed;
    appState.chkdskResultText = result != nullptr ? result->text : std::u16string();
}

struct Shooter {
    std::string folder;
    int failures = 0;

    // Two frames: the first lays out the buttons and scroll limits the hover and the clamped
    // scroll positions refer to, the second is the picture.
    void Shoot(const char* name, int width, int height) {
        const std::string path = folder + "/" + name + ".png";
        if (!RenderFrameToPng(width, height, path.c_str()) ||
            !RenderFrameToPng(width, height, path.c_str())) {
            std::fprintf(stderr, "corvanite-shots: cannot write %s\n", path.c_str());
            ++failures;
            return;
        }
        std::printf("%s\n", path.c_str());
    }
};

void ResetView() {
    appState.hoverButton = BTN_NONE;
    appState.pressedButton = BTN_NONE;
    appState.hoverDriveRow = -1;
    appState.activeTab = TAB_SMART;
    appState.selectedDrive = 0;
    appState.smartScroll = 0;
    appState.chkdskScroll = 0;
    appState.chkdskRunning = false;
    appState.scanning = false;
    appState.maximized = false;
    appState.tickCount = 0;
}

}  // namespace

int main(int argc, char** argv) {
    Shooter shooter{argc > 1 ? argv[1] : CORVANITE_SHOTS_OUTPUT};
    std::error_code error;
    std::filesystem::create_directories(shooter.folder, error);
    bool loaded = false;
    const std::vector<DriveInfo> drives = sample::SampleDrives(CORVANITE_SHOTS_TRACE, loaded);
    if (!loaded) {
        return 2;
    }
    const auto driveCount = static_cast<int32_t>(drives.size());
    const int32_t nvme = driveCount - 2;
    // The sample machine's volumes have letters and its checks are chkdsk's, as on Windows; the
    // last picture shows Linux's filesystems and fsck.
    InstallChildProcessAccess(&StandInChildProcessAccess());
    const int32_t noData = driveCount - 1;

    // Before the first scan has finished, and while it runs.
    ResetView();
    shooter.Shoot("01-start-empty", 1200, 750);
    appState.scanning = true;
    SetStatusText(u"Scanning drives...");
    shooter.Shoot("02-scanning-empty", 1200, 750);
    ResetView();

    appState.drives = drives;
    // The status line as a finished scan leaves it.
    std::u16string ready = u"READY  //  ";
    ready.append(drives[0].devicePath.view()).append(u"  //  ");
    AppendUnsigned(ready, drives[0].attributes.size());
    ready += u" attrs";
    SetStatusText(ready);

    // SMART DATA: a full 30-row table with a failing row, scrolled to its end; hover over a row.
    appState.hoverDriveRow = 2;
    shooter.Shoot("03-smart-maxtor", 1200, 750);
    appState.smartScroll = 100;
    shooter.Shoot("04-smart-maxtor-scrolled", 1200, 750);
    ResetView();
    appState.selectedDrive = 1;
    appState.hoverButton = BTN_EXPORT;
    shooter.Shoot("05-smart-samsung-hover-export", 1200, 750);
    appState.pressedButton = BTN_EXPORT;
    shooter.Shoot("06-smart-samsung-press-export", 1200, 750);
    ResetView();
    appState.selectedDrive = nvme;
    shooter.Shoot("07-smart-nvme", 1200, 750);
    appState.selectedDrive = noData;
    appState.hoverButton = BTN_CLOSE;
    shooter.Shoot("08-smart-no-data-hover-close", 1200, 750);
    ResetView();

    // DISK INFO.
    appState.activeTab = TAB_DISK_INFO;
    appState.selectedDrive = 1;
    shooter.Shoot("09-disk-info-samsung", 1200, 750);
    appState.selectedDrive = nvme;
    shooter.Shoot("10-disk-info-nvme-critical", 1200, 750);
    appState.selectedDrive = noData;
    shooter.Shoot("11-disk-info-no-data", 1200, 750);
    ResetView();

    // SCAN/REPAIR: idle, running (spinner, following the end), finished with a result.
    appState.activeTab = TAB_SCAN_REPAIR;
    SetOutput(0, nullptr);
    appState.volumes = sample::SampleVolumeAccess().listVolumes();
    appState.selectedDrive = 1;
    shooter.Shoot("12-scan-idle", 1200, 750);
    appState.targetVolume.Set(u"D:");
    appState.chkdskRunning = true;
    appState.tickCount = 4;
    appState.hoverButton = BTN_CANCEL;
    SetOutput(30, nullptr);
    SetStatusText(u"Running chkdsk D: (fix mode)...");
    shooter.Shoot("13-scan-running-hover-cancel", 1200, 750);
    ResetView();
    appState.activeTab = TAB_SCAN_REPAIR;
    const ChkdskResult fixedRun = ChkdskOutcome(1, false, false);
    SetOutput(1000, &fixedRun);
    SetStatusText(u"chkdsk: " + fixedRun.text);
    appState.hoverButton = BTN_SCAN_FIX;
    appState.pressedButton = BTN_SCAN_FIX;
    appState.chkdskScroll = 1000;  // where the running check left it: at the end
    shooter.Shoot("14-scan-finished-fixed-press", 1200, 750);
    const ChkdskResult cleanRun = ChkdskOutcome(0, true, false);
    SetOutput(1000, &cleanRun);
    SetStatusText(u"chkdsk: " + cleanRun.text);
    appState.hoverButton = BTN_NONE;
    appState.pressedButton = BTN_NONE;
    appState.chkdskScroll = 0;
    shooter.Shoot("15-scan-finished-clean-top", 1200, 750);
    ResetView();
    SetStatusText(ready);

    // The minimum window and a maximised one, every tab.
    const struct {
        const char* name;
        int width;
        int height;
        bool maximized;
    } sizes[] = {{"min-800x580", 800, 580, false}, {"max-1920x1080", 1920, 1080, true}};
    const char* const tabs[] = {"smart", "disk-info", "scan"};
    int index = 16;
    for (const auto& size : sizes) {
        for (int32_t tab = TAB_SMART; tab <= TAB_SCAN_REPAIR; ++tab) {
            ResetView();
            appState.maximized = size.maximized;
            appState.activeTab = tab;
            appState.selectedDrive = tab == TAB_DISK_INFO ? nvme : 0;
            appState.chkdskScroll = 0;
            const std::string name = std::to_string(index++) + "-" + tabs[tab] + "-" + size.name;
            shooter.Shoot(name.c_str(), size.width, size.height);
        }
    }

    // On Linux: the filesystems of the second disk, one mounted, picked by Left and Right.
    ResetView();
    appState.activeTab = TAB_SCAN_REPAIR;
    appState.selectedDrive = 1;
    VolumeList filesystems;
    filesystems.known = true;
    const auto add = [&filesystems](const char16_t* name, const char16_t* label,
                                    const char16_t* type, uint64_t size, const char16_t* disk,
                                    const char16_t* mountPoint) {
        filesystems.volumes.push_back(VolumeInfo{.name = name,
                                                 .label = label,
                                                 .fileSystem = type,
                                                 .sizeBytes = size,
                                                 .diskPaths = {disk},
                                                 .mountPoint = mountPoint});
    };
    add(u"/dev/sda1", u"", u"ext4", 60362257920ull, u"/dev/sda", u"/");
    add(u"/dev/sdb1", u"data", u"ext4", 400085716992ull, u"/dev/sdb", u"/srv/data");
    add(u"/dev/sdb2", u"BACKUP", u"vfat", 100034416640ull, u"/dev/sdb", u"");
    appState.volumes = filesystems;
    appState.targetVolume.Set(u"/dev/sdb2");
    InstallChildProcessAccess(nullptr);
    SetOutput(0, nullptr);
    shooter.Shoot("23-scan-linux-filesystems", 1200, 750);

    // The drive's own self-test: an extended test running on the second disk, whose log holds a
    // short test that passed; the NVMe drive's log.
    ResetView();
    appState.volumes = sample::SampleVolumeAccess().listVolumes();
    appState.activeTab = TAB_SELF_TEST;
    appState.selectedDrive = 1;
    SelfTestState& running = appState.drives[1].selfTest;
    running.running = true;
    running.percentDone = 30;
    SetStatusText(u"Self-test on sdb: a self-test: 30 % done, 44:12 so far");
    shooter.Shoot("24-self-test-running", 1200, 750);
    running = drives[1].selfTest;
    appState.selectedDrive = nvme;
    SetStatusText(u"READY  //  /dev/nvme0n1  //  6 attrs");
    shooter.Shoot("25-self-test-nvme-log", 1200, 750);
    return shooter.failures == 0 ? 0 : 1;
}
