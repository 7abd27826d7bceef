// The mode change on Windows: the stand-in driver takes the new mode, and the system's
// screen follows it; the system tells every top-level window.
#include "display_driver.h"

namespace deskhost {

bool ChangeDisplayMode(const DisplayDriver& driver, const ModeEntry& mode)
{
    DEVMODEA wanted{};
    wanted.dmSize = sizeof wanted;
    wanted.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    wanted.dmPelsWidth = mode.width;
    wanted.dmPelsHeight = mode.height;
    wanted.dmBitsPerPel = mode.depth;
    if (ChangeDisplaySettingsA(&wanted, CDS_TEST) != DISP_CHANGE_SUCCESSFUL || !driver.SetMode(mode)) {
        return false;
    }
    return ChangeDisplaySettingsA(&wanted, 0) == DISP_CHANGE_SUCCESSFUL;
}

}  // namespace deskhost
