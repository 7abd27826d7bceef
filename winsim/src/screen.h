// What the display and the input model share.
#pragma once

#include <winsim/win32.h>

namespace winsim::detail {

// The desktop in screen coordinates, from (0, 0) to the mode's width and height.
RECT DesktopRect();
// Keeps the cursor on the desktop after the desktop has changed.
void ClipCursorToDesktop();

}  // namespace winsim::detail
