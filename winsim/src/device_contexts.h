// The table of device contexts. Every HDC that winsim hands out is an entry here.
#pragma once

#include <winsim/win32.h>

namespace winsim::detail {

enum class DcKind {
    Screen,  // GetDC(NULL): the whole desktop
    Paint,   // BeginPaint: a window's client area, until EndPaint
    Window,  // GetDC(window): the window's client area, until ReleaseDC
    Memory,  // CreateCompatibleDC: the bitmap selected into it, until DeleteDC
};

struct DeviceContext {
    DcKind kind = DcKind::Screen;
    HWND window = nullptr;
    COLORREF background = RGB(255, 255, 255);
    COLORREF text = RGB(0, 0, 0);
    int mapMode = MM_TEXT;
    int stretchMode = BLACKONWHITE;
};

HDC CreateDeviceContext(DcKind kind, HWND window);
// Null for a handle that is not (or no longer) a device context.
DeviceContext* FindDeviceContext(HDC dc);
bool DestroyDeviceContext(HDC dc);
int LiveDeviceContexts(DcKind kind);
int LiveDeviceContexts();

}  // namespace winsim::detail
