#include "ui/palette.h"

#include <algorithm>

namespace corvanite {

Color HealthColor(HealthStatus health) {
    switch (health) {
        case HEALTH_GOOD:
            return COLOR_GOOD;
        case HEALTH_WARN:
            return COLOR_WARN;
        case HEALTH_CRIT:
            return COLOR_CRIT;
        default:
            return COLOR_TEXT_DIM;
    }
}

Color ScaleColor(Color color, float factor) {
    Color scaled = 0;
    for (const int shift : {0, 8, 16}) {  // blue, green, red
        const auto channel = static_cast<float>((color >> shift) & 0xFF);
        auto value = static_cast<int32_t>(channel * factor);
        value = std::clamp(value, 0, 255);
        scaled |= static_cast<Color>(value) << shift;
    }
    return scaled;
}

}  // namespace corvanite
