// The SELF-TEST tab: what the selected drive tells of its own self-test (whether it has one, the
// test running and how far it is, the last result), the buttons that start a short or an
// extended test or abort the running one, and the drive's self-test log as a table.
#pragma once

#include <string>

#include "drives/drive_info.h"
#include "ui/display_list.h"
#include "ui/frame_output.h"

namespace corvanite {

// "short self-test: 40 % done, 1:02 so far, about 2 min" for a drive whose test runs: which test
// and since when where this window started it. UI thread.
std::u16string SelfTestProgressOf(const DriveInfo& drive);

// Paints the view into the content rectangle and registers BTN_SELF_TEST_SHORT, _EXTENDED and
// _ABORT (enabled or not; the window decides whether a click acts).
void DrawSelfTestView(DisplayList& dc, FrameOutput& out, Rect content);

}  // namespace corvanite
