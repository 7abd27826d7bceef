// The display: the desktop the adapter shows (the screen DC's mode) and the visible screen,
// which is smaller than the desktop while the adapter pans.
#include <winsim/control.h>
#include <winsim/win32.h>

#include "device_contexts.h"
#include "faults.h"
#include "gdi_objects.h"
#include "screen.h"

namespace {

using winsim::detail::DcKind;

struct Display {
    winsim::DisplayMode desktop;
    int screenWidth = 1024;
    int screenHeight = 768;
};

Display& State()
{
    static auto* display = new Display;
    return *display;
}

int ScreenCaps(int index)
{
    const winsim::DisplayMode& desktop = State().desktop;
    switch (index) {
        case HORZRES:
            return desktop.width;
        case VERTRES:
            return desktop.height;
        case BITSPIXEL:
            return desktop.bitsPerPixel;
        case PLANES:
            return 1;
        case VREFRESH:
            return desktop.refresh;
        default:
            return 0;
    }
}

}  // namespace

int WINAPI GetDeviceCaps(HDC dc, int index)
{
    const auto* context = winsim::detail::FindDeviceContext(dc);
    if (context == nullptr) {
        return 0;
    }
    return ScreenCaps(index);
}

int WINAPI GetSystemMetrics(int index)
{
    if (winsim::detail::FailableCall("GetSystemMetrics")) {
        return 0;
    }
    switch (index) {
        case SM_CXSCREEN:
            return State().screenWidth;
        case SM_CYSCREEN:
            return State().screenHeight;
        default:
            return 0;
    }
}

namespace winsim {

void SetDisplayMode(const DisplayMode& mode)
{
    Display& display = State();
    display.desktop = mode;
    display.screenWidth = mode.width;
    display.screenHeight = mode.height;
    detail::ClipCursorToDesktop();
}

DisplayMode GetDisplayMode()
{
    return State().desktop;
}

void SetScreenSize(int width, int height)
{
    State().screenWidth = width;
    State().screenHeight = height;
}

int LiveScreenDcs()
{
    return detail::LiveDeviceContexts(detail::DcKind::Screen);
}

namespace detail {

RECT DesktopRect()
{
    const DisplayMode& desktop = State().desktop;
    return RECT{0, 0, desktop.width, desktop.height};
}

}  // namespace detail
}  // namespace winsim
