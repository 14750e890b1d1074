#include <gtest/gtest.h>

#include "app/input.h"
#include "app/window_frame.h"
#include "fake_host.h"
#include "state/app_state.h"
#include "ui/buttons.h"
#include "ui/display_scale.h"

namespace corvanite {
namespace {

// The first place of the window on work areas seen on real machines, at 100 % and 150 %.
TEST(WindowFrame, PlacementFitsTheWorkAreaCentred) {
    struct Case {
        const char* what;
        Rect workArea;
        int dpi;
        Rect expected;
    };
    const Case cases[] = {
        // WinPE on the basic display driver: narrower than the window; the buttons stay on it.
        {"1024 x 768", {0, 0, 1024, 768}, 96, {0, 9, 1024, 759}},
        // A laptop with a 40-pixel taskbar: the status bar stays above it.
        {"1366 x 768, taskbar", {0, 0, 1366, 728}, 96, {83, 0, 1283, 728}},
        {"1920 x 1080 at 150 %", {0, 0, 1920, 1032}, 144, {60, 0, 1860, 1032}},
        {"2560 x 1440 at 150 %", {0, 0, 2560, 1392}, 144, {380, 133, 2180, 1258}},
        // A second monitor left of and above the primary one.
        {"offset monitor", {-1280, -200, 0, 824}, 96, {-1240, -63, -40, 687}},
        // Smaller than the minimum: the minimum size, title bar on the screen.
        {"640 x 480", {0, 0, 640, 480}, 96, {0, 0, 800, 580}},
        {"1024 x 768 at 150 %", {0, 0, 1024, 768}, 144, {0, 0, 1200, 870}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Rect placed =
            PlaceWindow(c.workArea, ScaleEdge(INITIAL_WINDOW_WIDTH, c.dpi),
                        ScaleEdge(INITIAL_WINDOW_HEIGHT, c.dpi), ScaleEdge(MIN_WINDOW_WIDTH, c.dpi),
                        ScaleEdge(MIN_WINDOW_HEIGHT, c.dpi));
        EXPECT_EQ(placed, c.expected);
    }
    // A client area of so many pixels holds this many units, a part unit counted whole.
    EXPECT_EQ(UnitsCovering(1500, 120), 1200);
    EXPECT_EQ(UnitsCovering(1501, 120), 1201);
}

TEST(WindowFrame, EdgesAndCornersResize) {
    struct Case {
        Point point;
        bool maximized;
        FrameHit expected;
    };
    const Case cases[] = {
        {{0, 0}, false, HIT_TOP_LEFT},      {{600, 4}, false, HIT_TOP},
        {{600, 5}, false, HIT_CLIENT},      {{1199, 2}, false, HIT_TOP_RIGHT},
        {{-3, 300}, false, HIT_LEFT},       {{1195, 300}, false, HIT_RIGHT},
        {{1194, 300}, false, HIT_CLIENT},   {{600, 749}, false, HIT_BOTTOM},
        {{4, 745}, false, HIT_BOTTOM_LEFT}, {{1199, 749}, false, HIT_BOTTOM_RIGHT},
        {{0, 0}, true, HIT_CLIENT},         {{1199, 749}, true, HIT_CLIENT},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FrameHitAt(c.point, 1200, 750, 5, c.maximized), c.expected)
            << c.point.x << "," << c.point.y << (c.maximized ? " maximised" : "");
    }
}

// The system maximises the window (Win+Up, a shortcut set to start maximised): [MAXIMIZE] shows
// it and puts the window back where it was; a window the program had maximised keeps its old
// place.
TEST(WindowFrame, SystemMaximiseKeepsTheButtonInStep) {
    test::ResetHost();
    ResetAppState();
    const Rect normal{300, 200, 1500, 950};
    NoteWindowMaximized(true, normal);
    EXPECT_TRUE(appState.maximized);
    appState.buttons.push_back(ButtonEntry{BTN_MAXIMIZE, Rect{1127, 1, 1163, 35}});
    OnLeftButtonDown({1130, 5});
    OnLeftButtonUp({1130, 5});
    EXPECT_FALSE(appState.maximized);
    EXPECT_EQ(test::Host().bounds, normal);

    OnLeftButtonDown({1130, 5});  // the program's own maximise, then the system's
    OnLeftButtonUp({1130, 5});
    NoteWindowMaximized(true, test::Host().workArea);
    EXPECT_EQ(appState.restoreRect, normal);
    NoteWindowMaximized(false, Rect{});  // restored by the system
    EXPECT_FALSE(appState.maximized);
    ResetAppState();
}

}  // namespace
}  // namespace corvanite
