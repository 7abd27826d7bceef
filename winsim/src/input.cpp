// Mouse position and button state.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <array>

#include "faults.h"
#include "screen.h"

namespace {

struct Input {
    POINT cursor{512, 384};
    std::array<bool, 256> down{};
    int setCursorPosCalls = 0;
};

Input& State()
{
    static auto* input = new Input;
    return *input;
}

bool IsVirtualKey(int key)
{
    return key >= 0 && key < 256;
}

// The cursor stays on the desktop: the last pixel of a row or column is the farthest it goes.
POINT ClipToDesktop(LONG x, LONG y)
{
    const RECT desktop = winsim::detail::DesktopRect();
    const LONG right = std::max(desktop.left, desktop.right - 1);
    const LONG bottom = std::max(desktop.top, desktop.bottom - 1);
    return POINT{std::clamp(x, desktop.left, right), std::clamp(y, desktop.top, bottom)};
}

}  // namespace

BOOL WINAPI GetCursorPos(LPPOINT point)
{
    if (winsim::detail::FailableCall("GetCursorPos")) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (point == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    *point = State().cursor;
    return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y)
{
    if (winsim::detail::FailableCall("SetCursorPos")) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Input& input = State();
    ++input.setCursorPosCalls;
    input.cursor = ClipToDesktop(x, y);
    return TRUE;
}

SHORT WINAPI GetAsyncKeyState(int key)
{
    if (!IsVirtualKey(key) || !State().down[static_cast<std::size_t>(key)]) {
        return 0;
    }
    return static_cast<SHORT>(0x8000);
}

namespace winsim {

void SetButtonDown(int virtualKey, bool down)
{
    if (IsVirtualKey(virtualKey)) {
        State().down[static_cast<std::size_t>(virtualKey)] = down;
    }
}

POINT CursorPosition()
{
    return State().cursor;
}

int SetCursorPosCalls()
{
    return State().setCursorPosCalls;
}

namespace detail {

void ClipCursorToDesktop()
{
    Input& input = State();
    input.cursor = ClipToDesktop(input.cursor.x, input.cursor.y);
}

}  // namespace detail
}  // namespace winsim
