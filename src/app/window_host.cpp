#include "app/window_host.h"

#include "host/installed_table.h"

namespace corvanite {
namespace {

// No window: nothing to place or capture, no dialog (every question answered no, no path), no
// clipboard.
constexpr WindowHost NO_WINDOW{
    .mainWindowBounds = [] { return Rect{}; },
    .moveMainWindow = [](int32_t, int32_t) {},
    .placeMainWindow = [](Rect) {},
    .clientToScreen = [](Point client) { return client; },
    .monitorWorkArea = [] { return Rect{}; },
    .minimizeMainWindow = [] {},
    .closeMainWindow = [] {},
    .captureMouse = [] {},
    .releaseMouse = [] {},
    .trackMouseLeave = [] {},
    .askYesNo = [](std::u16string_view, std::u16string_view) { return bool{}; },
    .askReportPath =
        [](std::u16string&, uint32_t& dialogError) {
            dialogError = {};
            return bool{};
        },
    .copyToClipboard = [](std::u16string_view) { return bool{}; },
};

}  // namespace

const WindowHost* InstallWindowHost(const WindowHost* table) {
    return InstallTable(table);
}

const WindowHost& InstalledWindowHost() {
    return InstalledTableOr(NO_WINDOW);
}

}  // namespace corvanite
