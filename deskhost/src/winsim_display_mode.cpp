// The mode change on winsim: the stand-in driver's adapter takes the new mode, winsim's
// display follows it, and every top-level window is told.
#include "display_driver.h"

namespace deskhost {

bool ChangeDisplayMode(const DisplayDriver& driver, const ModeEntry& mode)
{
    if (!driver.SetMode(mode)) {
        return false;
    }
    const ModeEntry now = CurrentScreenMode();
    // The system sends this to every top-level window before the change call returns.
    SendMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, now.depth, MAKELPARAM(now.width, now.height));
    return true;
}

}  // namespace deskhost
