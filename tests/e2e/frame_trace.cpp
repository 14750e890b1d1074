// The end-to-end build's frame observer: after a frame that shows something new, one line of
// tab-separated key=value fields to the file CORVANITE_E2E_TRACE names (rectangles: l,t,r,b).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "e2e_seams.h"
#include "state/app_state.h"
#include "text/utf.h"

namespace corvanite::e2e {

void TraceFrame(int32_t clientWidth, int32_t clientHeight) {
    static std::string last;
    AppState& s = appState;
    std::string line = "status=" + Utf16ToUtf8(s.statusText.view()) + "\tgrades=";
    for (const DriveInfo& drive : s.drives) {
        line += Utf16ToUtf8(HealthWord(drive.health)) + (&drive == &s.drives.back() ? "" : ",");
    }
    line += "\tvolume=" + Utf16ToUtf8(s.targetVolume.view());
    std::unique_lock<std::mutex> guard(s.chkdskLinesLock);
    std::string writing = Utf16ToUtf8(s.chkdskPartialLine);
    std::replace(writing.begin(), writing.end(), '\t', ' ');
    line += "\twriting=" + writing;
    const std::pair<const char*, int64_t> numbers[] = {
        {"width", clientWidth},           {"height", clientHeight},
        {"drives", std::ssize(s.drives)}, {"selected", s.selectedDrive},
        {"scanning", s.scanning},         {"tab", s.activeTab},
        {"hover", s.hoverButton},         {"pressed", s.pressedButton},
        {"hoverRow", s.hoverDriveRow},    {"maximized", s.maximized},
        {"running", s.chkdskRunning},     {"lines", std::ssize(s.chkdskLines)},
        {"smartScroll", s.smartScroll},   {"smartScrollMax", s.smartScrollMax},
        {"chkdskScroll", s.chkdskScroll}, {"chkdskScrollMax", s.chkdskScrollMax}};
    guard.unlock();
    for (const auto& [key, value] : numbers) {
        line += std::string("\t") + key + "=" + std::to_string(value);
    }
    auto add = [&line](const std::string& key, const Rect& r) {
        line += "\t" + key + "=" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right) + "," + std::to_string(r.bottom);
    };
    for (const ButtonEntry& button : s.buttons) {
        add("button." + std::to_string(button.id), button.rect);
    }
    for (int32_t i = 0; i < TAB_COUNT; ++i) {
        add("tab." + std::to_string(i), s.tabRects[i]);
    }
    for (int32_t i = 0; i < SCROLLER_COUNT; ++i) {
        add("thumb." + std::to_string(i), s.scrollBars[i].thumb);
    }
    for (const DriveRowEntry& row : s.driveRows) {
        add("row." + std::to_string(row.drive), row.rect);
    }
    add("drag", s.dragZone);
    const char* path = std::getenv("CORVANITE_E2E_TRACE");
    std::FILE* file = path != nullptr && line != last ? std::fopen(path, "ab") : nullptr;
    if (file != nullptr) {
        std::fputs((line + "\n").c_str(), file);
        std::fclose(file);
        last = line;
    }
}

}  // namespace corvanite::e2e
