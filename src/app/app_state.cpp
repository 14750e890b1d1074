#include "app/app_state.h"

namespace corvanite {

AppState appState;

void SetStatusText(std::u16string_view text) {
    appState.statusText.Set(text);
}

}  // namespace corvanite
