// Window rectangles and the non-client frame, coordinate mapping, moving, showing and
// enabling windows.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <cstdlib>

#include "faults.h"
#include "user_windows.h"

namespace {

using winsim::detail::LookupWindow;
using winsim::detail::Window;

// Windows 95 metrics with small fonts.
constexpr LONG kCaptionHeight = 18;      // SM_CYCAPTION
constexpr LONG kToolCaptionHeight = 15;  // SM_CYSMCAPTION
constexpr LONG kSizingFrameExtra = 1;    // SM_CXFRAME (4) - SM_CXDLGFRAME (3)
constexpr LONG kEdge = 2;                // SM_CXEDGE

bool IsChildWindow(const Window& w)
{
    return (w.style & WS_CHILD) != 0 && w.parent != nullptr;
}

RECT DesktopScreenRect()
{
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

RECT WindowRectOf(const Window& w)
{
    return winsim::detail::IsDesktop(w.handle) ? DesktopScreenRect() : w.rect;
}

// The Z-order change of SetWindowPos among the window's siblings.
void Reorder(HWND window, HWND insertAfter)
{
    std::vector<HWND>* siblings = winsim::detail::SiblingList(window);
    if (siblings == nullptr) {
        return;
    }
    if (insertAfter != HWND_BOTTOM && insertAfter != HWND_TOP && insertAfter != HWND_TOPMOST &&
        insertAfter != HWND_NOTOPMOST &&
        std::find(siblings->begin(), siblings->end(), insertAfter) == siblings->end()) {
        return;
    }
    if (insertAfter == window) {
        return;
    }
    siblings->erase(std::remove(siblings->begin(), siblings->end(), window), siblings->end());
    if (insertAfter == HWND_BOTTOM) {
        siblings->push_back(window);
    } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        siblings->insert(siblings->begin(), window);
    } else {
        siblings->insert(std::find(siblings->begin(), siblings->end(), insertAfter) + 1, window);
    }
}

POINT ParentClientOffset(const Window& w)
{
    return IsChildWindow(w) ? winsim::detail::ClientOrigin(w.parent) : POINT{0, 0};
}

}  // namespace

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle)
{
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const RECT insets = winsim::detail::FrameInsets(style, exStyle);
    rect->left -= insets.left;
    rect->top -= insets.top;
    rect->right += insets.right;
    rect->bottom += insets.bottom;
    if (menu) {
        rect->top -= kCaptionHeight + 1;  // SM_CYMENU
    }
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr || rect == nullptr) {
        SetLastError(w == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_NOACCESS);
        return FALSE;
    }
    *rect = WindowRectOf(*w);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr || rect == nullptr) {
        SetLastError(w == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_NOACCESS);
        return FALSE;
    }
    const RECT client = winsim::detail::ClientRectOnScreen(*w);
    *rect = RECT{0, 0, client.right - client.left, client.bottom - client.top};
    return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count)
{
    if ((from != nullptr && LookupWindow(from) == nullptr) ||
        (to != nullptr && LookupWindow(to) == nullptr)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const POINT origin = from != nullptr ? winsim::detail::ClientOrigin(from) : POINT{0, 0};
    const POINT target = to != nullptr ? winsim::detail::ClientOrigin(to) : POINT{0, 0};
    const LONG dx = origin.x - target.x;
    const LONG dy = origin.y - target.y;
    if (points != nullptr) {
        for (UINT i = 0; i < count; ++i) {
            points[i].x += dx;
            points[i].y += dy;
        }
    }
    SetLastError(ERROR_SUCCESS);
    return MAKELONG(LOWORD(dx), LOWORD(dy));
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point)
{
    if (LookupWindow(window) == nullptr || point == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const POINT origin = winsim::detail::ClientOrigin(window);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND window, LPPOINT point)
{
    if (LookupWindow(window) == nullptr || point == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const POINT origin = winsim::detail::ClientOrigin(window);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

HWND WINAPI GetDesktopWindow()
{
    return winsim::detail::DesktopHandle();
}

BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    if (winsim::detail::FailableCall("SetWindowPos")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    const Window* w = LookupWindow(window);
    if (w == nullptr || winsim::detail::IsDesktop(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const POINT offset = ParentClientOffset(*w);
    WINDOWPOS position{window, insertAfter, 0, 0, 0, 0, flags};
    position.x = (flags & SWP_NOMOVE) != 0 ? w->rect.left - offset.x : x;
    position.y = (flags & SWP_NOMOVE) != 0 ? w->rect.top - offset.y : y;
    position.cx = (flags & SWP_NOSIZE) != 0 ? w->rect.right - w->rect.left : std::max(cx, 0);
    position.cy = (flags & SWP_NOSIZE) != 0 ? w->rect.bottom - w->rect.top : std::max(cy, 0);
    SendMessageA(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&position));

    Window* target = LookupWindow(window);
    if (target == nullptr) {
        return FALSE;
    }
    const RECT old = target->rect;
    const RECT next{offset.x + position.x, offset.y + position.y,
                    offset.x + position.x + std::max(position.cx, 0),
                    offset.y + position.y + std::max(position.cy, 0)};
    const bool moved = next.left != old.left || next.top != old.top;
    const bool sized = (next.right - next.left) != (old.right - old.left) ||
                       (next.bottom - next.top) != (old.bottom - old.top);
    UINT done = position.flags;
    if (!moved) {
        done |= SWP_NOMOVE | SWP_NOCLIENTMOVE;
    }
    if (!sized) {
        done |= SWP_NOSIZE | SWP_NOCLIENTSIZE;
    }
    if ((done & SWP_NOZORDER) == 0) {
        Reorder(window, position.hwndInsertAfter);
    }
    winsim::detail::ShiftWindowTree(window, next.left - old.left, next.top - old.top);
    target->rect.right = next.right;
    target->rect.bottom = next.bottom;
    bool shown = false;
    if ((done & SWP_SHOWWINDOW) != 0 && (target->style & WS_VISIBLE) == 0) {
        target->style |= WS_VISIBLE;
        shown = true;
    } else if ((done & SWP_HIDEWINDOW) != 0) {
        target->style &= ~static_cast<DWORD>(WS_VISIBLE);
    }
    if ((shown || sized) && (done & SWP_NOREDRAW) == 0) {
        winsim::detail::InvalidateTree(window);
    }
    constexpr UINT kNoChange = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE;
    if ((done & kNoChange) != kNoChange || (done & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) != 0) {
        position.flags = done;
        SendMessageA(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
    }
    if ((done & (SWP_NOACTIVATE | SWP_HIDEWINDOW)) == 0 && IsWindow(window)) {
        if ((GetWindowLongA(window, GWL_STYLE) & (WS_CHILD | WS_POPUP)) == WS_CHILD) {
            SendMessageA(window, WM_CHILDACTIVATE, 0, 0);
        } else {
            SetForegroundWindow(window);
        }
    }
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(window, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0U : static_cast<UINT>(SWP_NOREDRAW)));
}

BOOL WINAPI ShowWindow(HWND window, int command)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr || winsim::detail::IsDesktop(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const bool wasVisible = (w->style & WS_VISIBLE) != 0;
    const bool show = command != SW_HIDE;
    if (!show && !wasVisible) {
        return FALSE;
    }
    UINT flags =
        SWP_NOSIZE | SWP_NOMOVE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
    if (command == SW_SHOWNA || command == SW_SHOWNOACTIVATE || command == SW_SHOWMINNOACTIVE ||
        command == SW_MINIMIZE) {
        flags |= SWP_NOACTIVATE | SWP_NOZORDER;
    }
    if (IsChildWindow(*w)) {
        flags |= SWP_NOACTIVATE | SWP_NOZORDER;
    }
    if (show != wasVisible) {
        SendMessageA(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        if (!IsWindow(window)) {
            return wasVisible ? TRUE : FALSE;
        }
    }
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, flags);
    if (!show && IsWindow(window)) {
        winsim::detail::ForgetWindow(window);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable)
{
    Window* w = LookupWindow(window);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const bool wasDisabled = (w->style & WS_DISABLED) != 0;
    if (enable && wasDisabled) {
        w->style &= ~static_cast<DWORD>(WS_DISABLED);
        SendMessageA(window, WM_ENABLE, TRUE, 0);
    } else if (!enable && !wasDisabled) {
        SendMessageA(window, WM_CANCELMODE, 0, 0);
        if (Window* still = LookupWindow(window)) {
            still->style |= WS_DISABLED;
        }
        const HWND focus = GetFocus();
        if (focus == window || IsChild(window, focus)) {
            SetFocus(nullptr);  // a disabled window cannot keep the focus
        }
        SendMessageA(window, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND window)
{
    const Window* w = LookupWindow(window);
    return (w != nullptr && (w->style & WS_DISABLED) == 0) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND window)
{
    const Window* w = LookupWindow(window);
    while (w != nullptr) {
        if ((w->style & WS_VISIBLE) == 0) {
            return FALSE;
        }
        if (!IsChildWindow(*w)) {
            return TRUE;
        }
        w = LookupWindow(w->parent);
    }
    return FALSE;
}

BOOL WINAPI PtInRect(const RECT* rect, POINT point)
{
    if (rect == nullptr) {
        return FALSE;
    }
    return (point.x >= rect->left && point.x < rect->right && point.y >= rect->top && point.y < rect->bottom)
               ? TRUE
               : FALSE;
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom)
{
    if (rect == nullptr) {
        return FALSE;
    }
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

namespace winsim::detail {

RECT FrameInsets(DWORD style, DWORD exStyle)
{
    LONG adjust = 0;
    if ((exStyle & (WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME)) == WS_EX_STATICEDGE) {
        adjust = 1;
    } else if ((exStyle & WS_EX_DLGMODALFRAME) != 0 || (style & (WS_THICKFRAME | WS_DLGFRAME)) != 0) {
        adjust = 2;
    }
    if ((style & WS_THICKFRAME) != 0) {
        adjust += kSizingFrameExtra;
    }
    if ((style & (WS_BORDER | WS_DLGFRAME)) != 0 || (exStyle & WS_EX_DLGMODALFRAME) != 0) {
        adjust += 1;
    }
    RECT insets{adjust, adjust, adjust, adjust};
    if ((style & WS_CAPTION) == WS_CAPTION) {
        insets.top += (exStyle & WS_EX_TOOLWINDOW) != 0 ? kToolCaptionHeight : kCaptionHeight;
    }
    if ((exStyle & WS_EX_CLIENTEDGE) != 0) {
        insets.left += kEdge;
        insets.top += kEdge;
        insets.right += kEdge;
        insets.bottom += kEdge;
    }
    return insets;
}

RECT ClientRectOnScreen(const Window& window)
{
    const RECT outer = WindowRectOf(window);
    if (IsDesktop(window.handle)) {
        return outer;
    }
    const RECT insets = FrameInsets(window.style, window.exStyle);
    RECT client{outer.left + insets.left, outer.top + insets.top, outer.right - insets.right,
                outer.bottom - insets.bottom};
    // A window too small for its frame has an empty client area at the frame's inner corner.
    client.right = std::max(client.right, client.left);
    client.bottom = std::max(client.bottom, client.top);
    return client;
}

POINT ClientOrigin(HWND window)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        return POINT{0, 0};
    }
    const RECT client = ClientRectOnScreen(*w);
    return POINT{client.left, client.top};
}

void ShiftWindowTree(HWND window, LONG dx, LONG dy)
{
    Window* w = LookupWindow(window);
    if (w == nullptr || (dx == 0 && dy == 0)) {
        return;
    }
    w->rect.left += dx;
    w->rect.right += dx;
    w->rect.top += dy;
    w->rect.bottom += dy;
    for (HWND child : w->children) {
        ShiftWindowTree(child, dx, dy);
    }
}

int MulDivRound(int value, int numerator, int denominator)
{
    if (denominator == 0) {
        return -1;
    }
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = std::llabs(static_cast<long long>(denominator)) / 2;
    // Halves round away from zero, as MulDiv does.
    return static_cast<int>((product + (product >= 0 ? half : -half)) / denominator);
}

}  // namespace winsim::detail
