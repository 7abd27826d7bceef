// The table of device contexts. Every HDC that winsim hands out is an entry here.
#pragma once

#include <winsim/win32.h>

namespace winsim::detail {

enum class DcKind {
    Screen,  // GetDC(NULL): the whole desktop
    Paint,   // BeginPaint: a window's client area, until EndPaint
};

struct DeviceContext {
    DcKind kind = DcKind::Screen;
    HWND window = nullptr;
};

HDC CreateDeviceContext(DcKind kind, HWND window);
// Null for a handle that is not (or no longer) a device context.
DeviceContext* FindDeviceContext(HDC dc);
bool DestroyDeviceContext(HDC dc);
int LiveDeviceContexts(DcKind kind);

}  // namespace winsim::detail
