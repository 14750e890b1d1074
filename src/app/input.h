// The main window's handling of mouse, keyboard, timer and worker messages, over the
// application state and the window host. Each platform's window maps its events onto these.
#pragma once

#include <cstdint>

#include "state/geometry.h"

namespace corvanite {

constexpr uint32_t KEY_F5 = 116;
constexpr int32_t WHEEL_STEP = 120;
constexpr int32_t MIN_WINDOW_WIDTH = 800;
constexpr int32_t MIN_WINDOW_HEIGHT = 580;
constexpr int32_t INITIAL_WINDOW_WIDTH = 1200;
constexpr int32_t INITIAL_WINDOW_HEIGHT = 750;
constexpr uint32_t TICK_MILLISECONDS = 50;

// The drive row under a client point, or -1.
int32_t DriveRowAt(Point client);

// A key press with its virtual-key code (letters report their capitals).
void OnKeyDown(uint32_t virtualKey);
void OnMouseMove(Point client, bool leftButtonDown);
void OnMouseLeave();
void OnLeftButtonDown(Point client);
void OnLeftButtonUp(Point client);
// delta: the wheel's signed delta, 120 per notch, positive away from the user.
void OnMouseWheel(int32_t delta);
void OnTimerTick();
// MSG_CHKDSK_EVENT with its event code.
void OnChkdskEvent(uintptr_t code);

}  // namespace corvanite
