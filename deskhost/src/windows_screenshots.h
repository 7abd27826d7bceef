// Screenshots of the virtual display, taken by a program outside Wine: the panel names a
// picture and waits, with its messages running, until the picture is taken.
#pragma once

#include "platform/platform.h"

#include <string>

namespace deskhost {

// With KV_SCREENSHOT_DIR set, writes NAME.request there and waits (at most ten seconds) for
// NAME.done, which the taker writes when NAME.png is saved. Does nothing otherwise. The
// request holds the screen rectangle of `window` (left top width height), the part of the
// screen that the picture shows; without a window, the whole screen.
void RequestScreenshot(const std::string& name, HWND window = nullptr);
void RequestScreenshot(const std::string& name, const RECT& area);
bool ScreenshotsWanted();

}  // namespace deskhost
