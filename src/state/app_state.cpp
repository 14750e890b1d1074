#include "state/app_state.h"

#include <memory>

namespace corvanite {

AppState appState;

void ResetAppState() {
    // Every field's start value is its initializer: the state is made anew.
    std::destroy_at(&appState);
    std::construct_at(&appState);
}

void SetStatusText(std::u16string_view text) {
    appState.statusText.Set(text);
}

const DriveInfo* SelectedDrive() {
    if (appState.drives.empty()) {
        return nullptr;
    }
    // A negative number converts to one past any list's end.
    const auto selected = static_cast<size_t>(appState.selectedDrive.load());
    return &appState.drives[selected < appState.drives.size() ? selected : 0];
}

}  // namespace corvanite
