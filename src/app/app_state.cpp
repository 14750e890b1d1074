#include "app/app_state.h"

namespace corvanite {

AppState appState;

void SetStatusText(std::u16string_view text) {
    appState.statusText.Set(text);
}

const DriveInfo* SelectedDrive() {
    if (appState.drives.empty()) {
        return nullptr;
    }
    const int32_t selected = appState.selectedDrive.load();
    const bool inRange = selected >= 0 && static_cast<size_t>(selected) < appState.drives.size();
    return &appState.drives[inRange ? static_cast<size_t>(selected) : 0];
}

}  // namespace corvanite
