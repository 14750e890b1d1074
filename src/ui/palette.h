// The fixed colours of the dark theme (0xRRGGBB) and the colours derived from them.
#pragma once

#include <cstdint>

#include "drives/drive_info.h"

namespace corvanite {

using Color = uint32_t;  // 0xRRGGBB

constexpr Color COLOR_WINDOW_BG = 0x05050A;
constexpr Color COLOR_TITLE_BG = 0x060610;
constexpr Color COLOR_PANEL_BG = 0x080812;
constexpr Color COLOR_SURFACE = 0x0B0B18;
constexpr Color COLOR_ROW_ALT = 0x0D0D1C;
constexpr Color COLOR_ROW_HOVER = 0x0C0C20;
constexpr Color COLOR_ROW_SELECTED = 0x0A1A2A;
constexpr Color COLOR_BUTTON_BG = 0x101022;
constexpr Color COLOR_BUTTON_HOVER = 0x182840;
constexpr Color COLOR_BUTTON_PRESSED = 0x002233;
constexpr Color COLOR_SEPARATOR = 0x18182E;
constexpr Color COLOR_BORDER = 0x22223A;
constexpr Color COLOR_ACCENT = 0x00EEFF;
constexpr Color COLOR_ACCENT_ALT = 0xFF00CC;
constexpr Color COLOR_TEXT = 0xE0E8FF;
constexpr Color COLOR_TEXT_SECONDARY = 0x9098B8;
constexpr Color COLOR_TEXT_DIM = 0x505570;
constexpr Color COLOR_GOOD = 0x00FF88;
constexpr Color COLOR_WARN = 0xFFAA00;
constexpr Color COLOR_CRIT = 0xFF2244;

// GOOD, WARN and CRIT in their colours; anything else (N/A included) dim.
Color HealthColor(HealthStatus health);

// Each channel multiplied by factor in single precision, truncated toward zero.
Color ScaleColor(Color color, float factor);

}  // namespace corvanite
