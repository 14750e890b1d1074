// The end-to-end build's frame hook: after a painted frame that shows something new, it appends
// one line to the file named by CORVANITE_E2E_TRACE: tab-separated key=value fields of what the
// window shows, with the frame's click rectangles (left,top,right,bottom in client pixels).
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "app/frame_hook.h"
#include "state/app_state.h"
#include "text/utf.h"

namespace corvanite {
namespace {

void Add(std::string& line, const std::string& key, const std::string& value) {
    line.append(key).append("=").append(value).append("\t");
}

void Add(std::string& line, const std::string& key, int64_t value) {
    Add(line, key, std::to_string(value));
}

void Add(std::string& line, const std::string& key, const Rect& r) {
    Add(line, key,
        std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
            std::to_string(r.bottom));
}

}  // namespace

void NoteFramePainted(int32_t clientWidth, int32_t clientHeight) {
    static std::string last;
    const char* path = std::getenv("CORVANITE_E2E_TRACE");
    const AppState& s = appState;
    std::string line;
    Add(line, "status", Utf16ToUtf8(s.statusText.view()));
    Add(line, "size", std::to_string(clientWidth) + "x" + std::to_string(clientHeight));
    std::string grades;
    for (const DriveInfo& drive : s.drives) {
        grades.append(grades.empty() ? "" : ",").append(Utf16ToUtf8(HealthWord(drive.health)));
    }
    Add(line, "grades", grades);
    Add(line, "drives", static_cast<int64_t>(s.drives.size()));
    Add(line, "selected", s.selectedDrive.load());
    Add(line, "scanning", s.scanning.load());
    Add(line, "tab", s.activeTab);
    Add(line, "hover", s.hoverButton);
    Add(line, "pressed", s.pressedButton);
    Add(line, "hoverRow", s.hoverDriveRow);
    Add(line, "maximized", s.maximized);
    Add(line, "volume", Utf16ToUtf8(s.targetVolume.view()));
    Add(line, "running", s.chkdskRunning.load());
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        Add(line, "lines", static_cast<int64_t>(s.chkdskLines.size()));
    }
    Add(line, "smartScroll", s.smartScroll);
    Add(line, "smartScrollMax", s.smartScrollMax);
    Add(line, "chkdskScroll", s.chkdskScroll);
    Add(line, "chkdskScrollMax", s.chkdskScrollMax);
    // The drive list's scroll position belongs here as listScroll once the list scrolls.
    for (const ButtonEntry& button : s.buttons) {
        Add(line, "button." + std::to_string(button.id), button.rect);
    }
    for (int32_t tab = 0; tab < TAB_COUNT; ++tab) {
        Add(line, "tab." + std::to_string(tab), s.tabRects[tab]);
    }
    for (size_t row = 0; row < s.driveRows.size(); ++row) {
        Add(line, "row." + std::to_string(row), s.driveRows[row]);
    }
    Add(line, "drag", s.dragZone);
    line.back() = '\n';
    std::FILE* file = path != nullptr && line != last ? std::fopen(path, "ab") : nullptr;
    if (file != nullptr) {
        std::fputs(line.c_str(), file);
        std::fclose(file);
        last = line;
    }
}

}  // namespace corvanite
