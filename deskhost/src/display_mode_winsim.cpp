// The mode change on winsim: the stand-in driver's adapter takes the new mode, winsim's
// display follows it, and every top-level window is told.
#include "deskhost/display_driver.h"

#include <kvapi/adapter.h>

#include <optional>

namespace deskhost {
namespace {

// The driver's mode of that size and depth, at the rate in force when it offers it.
std::optional<kvapi::Mode> DriverMode(const ModeEntry& wanted)
{
    std::optional<kvapi::Mode> found;
    const kvapi::AdapterConfig& config = kvapi::TheAdapter().config();
    for (const kvapi::Mode& mode : config.modes) {
        if (mode.width != wanted.width || mode.height != wanted.height || mode.depth != wanted.depth) {
            continue;
        }
        if (!found || mode.rate == config.current.rate) {
            found = mode;
        }
    }
    return found;
}

}  // namespace

bool ChangeDisplayMode(const ModeEntry& mode)
{
    const std::optional<kvapi::Mode> driverMode = DriverMode(mode);
    if (!driverMode || !kvapi::TheAdapter().SetMode(*driverMode)) {
        return false;
    }
    // The system sends this to every top-level window before the change call returns.
    SendMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, driverMode->depth,
                 MAKELPARAM(driverMode->width, driverMode->height));
    return true;
}

}  // namespace deskhost
