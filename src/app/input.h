// The main window's handling of mouse, keyboard, timer and worker messages, over the
// application state and the window host. Each platform's window maps its events onto these.
#pragma once

#include <cstdint>

#include "state/geometry.h"

namespace corvanite {

// Key codes, as Windows' virtual keys.
constexpr uint32_t KEY_F5 = 116;
constexpr uint32_t KEY_TAB = 0x09;
constexpr uint32_t KEY_ESCAPE = 0x1B;
constexpr uint32_t KEY_PAGE_UP = 0x21;
constexpr uint32_t KEY_PAGE_DOWN = 0x22;
constexpr uint32_t KEY_END = 0x23;
constexpr uint32_t KEY_HOME = 0x24;
constexpr uint32_t KEY_LEFT = 0x25;
constexpr uint32_t KEY_UP = 0x26;
constexpr uint32_t KEY_RIGHT = 0x27;
constexpr uint32_t KEY_DOWN = 0x28;
constexpr int32_t WHEEL_STEP = 120;
constexpr int32_t MIN_WINDOW_WIDTH = 800;
constexpr int32_t MIN_WINDOW_HEIGHT = 580;
constexpr int32_t INITIAL_WINDOW_WIDTH = 1200;
constexpr int32_t INITIAL_WINDOW_HEIGHT = 750;
constexpr uint32_t TICK_MILLISECONDS = 50;

// The drive row under a client point, or -1.
int32_t DriveRowAt(Point client);

// A key press with its virtual-key code (letters report their capitals) and whether Ctrl is held.
// F5 rescans; Up and Down select the previous or next drive; Page Up, Page Down, Home and End
// move the SMART table or the volume-check output; Ctrl+E exports the report; Ctrl+C copies the
// selected drive's report block; Ctrl+Tab and Ctrl+Shift+Tab go to the next or previous tab
// (round), Ctrl+1 to Ctrl+3 to a tab by its place; Escape cancels a running check; on
// SCAN/REPAIR a letter (without Ctrl) picks the volume; on SELF-TEST S starts a short test, E an
// extended one (asked first) and A aborts the running one.
void OnKeyDown(uint32_t virtualKey, bool control = false, bool shift = false);
void OnMouseMove(Point client, bool leftButtonDown);
void OnMouseLeave();
void OnLeftButtonDown(Point client);
void OnLeftButtonUp(Point client);
// The mouse capture ended without a release (another window or the system took it): the drag
// and the press end.
void OnCaptureLost();
// delta: the wheel's signed delta, 120 per notch, positive away from the user, or a part of one
// (parts add up to whole notches); client: where the pointer is. Over the drive list the list
// scrolls; elsewhere the active tab's table or output.
void OnMouseWheel(Point client, int32_t delta);
void OnTimerTick();
// MSG_SELF_TEST: a self-test request's answer (self_test_worker.h).
void OnSelfTestAnswer();
// MSG_CHKDSK_EVENT with its event code.
void OnChkdskEvent(uintptr_t code);

// Whether the window may close now (the close button, Alt+F4, the taskbar's or the desktop's
// close). While a volume check runs the user is asked first, told what closing does to it; a
// yes asks the check to stop, and the program ends it before it exits (EndVolumeCheckForExit).
bool MayCloseWindow();

}  // namespace corvanite
