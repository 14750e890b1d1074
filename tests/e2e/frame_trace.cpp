// The end-to-end build's frame hook: after a painted frame that shows something new, it appends
// to the file named by CORVANITE_E2E_TRACE one line of tab-separated key=value fields: what the
// window shows, and the frame's click rectangles as left,top,right,bottom in client pixels.
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "app/frame_hook.h"
#include "state/app_state.h"
#include "text/utf.h"

namespace corvanite {

void NoteFramePainted(int32_t clientWidth, int32_t clientHeight) {
    static std::string last;
    AppState& s = appState;
    std::string line = "status=" + Utf16ToUtf8(s.statusText.view()) + "\tgrades=";
    for (const DriveInfo& drive : s.drives) {
        line += Utf16ToUtf8(HealthWord(drive.health)) + (&drive == &s.drives.back() ? "" : ",");
    }
    line += "\tvolume=" + Utf16ToUtf8(s.targetVolume.view());
    line += "\tsize=" + std::to_string(clientWidth) + "x" + std::to_string(clientHeight);
    std::unique_lock<std::mutex> guard(s.chkdskLinesLock);
    const std::pair<const char*, int64_t> numbers[] = {
        {"drives", static_cast<int64_t>(s.drives.size())},
        {"selected", s.selectedDrive},
        {"scanning", s.scanning},
        {"tab", s.activeTab},
        {"hover", s.hoverButton},
        {"pressed", s.pressedButton},
        {"hoverRow", s.hoverDriveRow},
        {"maximized", s.maximized},
        {"running", s.chkdskRunning},
        {"lines", static_cast<int64_t>(s.chkdskLines.size())},
        {"smartScroll", s.smartScroll},
        {"smartScrollMax", s.smartScrollMax},
        {"chkdskScroll", s.chkdskScroll},
        {"chkdskScrollMax", s.chkdskScrollMax},
        {"listScroll", s.driveScroll},
        {"listScrollMax", s.driveScrollMax},
    };
    guard.unlock();
    for (const auto& [key, value] : numbers) {
        line += std::string("\t") + key + "=" + std::to_string(value);
    }
    auto addRect = [&line](const std::string& key, const Rect& r) {
        line += "\t" + key + "=" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right) + "," + std::to_string(r.bottom);
    };
    for (const ButtonEntry& button : s.buttons) {
        addRect("button." + std::to_string(button.id), button.rect);
    }
    for (int32_t i = 0; i < TAB_COUNT; ++i) {
        addRect("tab." + std::to_string(i), s.tabRects[i]);
    }
    for (const DriveRowEntry& row : s.driveRows) {
        addRect("row." + std::to_string(row.drive), row.rect);
    }
    addRect("drag", s.dragZone);
    const char* path = std::getenv("CORVANITE_E2E_TRACE");
    std::FILE* file = path != nullptr && line != last ? std::fopen(path, "ab") : nullptr;
    if (file != nullptr) {
        std::fputs((line + "\n").c_str(), file);
        std::fclose(file);
        last = line;
    }
}

}  // namespace corvanite
