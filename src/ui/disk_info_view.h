// The DISK INFO tab: a read-only sheet of everything known about the selected drive.
#pragma once

#include "ui/display_list.h"

namespace corvanite {

// Paints the sheet of drives[selectedDrive] into the content rectangle. Registers no button and
// keeps no state.
void DrawDiskInfoView(DisplayList& dc, Rect content);

// The value colours of the health summary.
Color TemperatureColor(int32_t temperatureC);
Color LifeRemainingColor(int32_t lifeRemaining);

}  // namespace corvanite
