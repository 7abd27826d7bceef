// Update regions and painting. A window whose update region is not empty gets WM_PAINT from
// a message loop once no posted message waits; BeginPaint validates it. The region is kept as
// its bounding rectangle.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <array>

#include "device_contexts.h"
#include "faults.h"
#include "gdi_objects.h"
#include "user_windows.h"

namespace {

using winsim::detail::LookupWindow;
using winsim::detail::Window;

RECT ClientArea(const Window& w)
{
    const RECT client = winsim::detail::ClientRectOnScreen(w);
    return RECT{0, 0, client.right - client.left, client.bottom - client.top};
}

bool IsEmpty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return IsEmpty(r) ? RECT{0, 0, 0, 0} : r;
}

RECT Union(const RECT& a, const RECT& b)
{
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool Contains(const RECT& outer, const RECT& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// Invalidates part of a window's client area; children are included where they lie in it,
// unless the window clips its children.
void Invalidate(HWND window, const RECT& area, bool erase)
{
    Window* w = LookupWindow(window);
    if (w == nullptr) {
        return;
    }
    const RECT part = Intersect(area, ClientArea(*w));
    if (IsEmpty(part)) {
        return;
    }
    w->update = w->hasUpdate ? Union(w->update, part) : part;
    w->hasUpdate = true;
    w->erasePending = w->erasePending || erase;
    if ((w->style & WS_CLIPCHILDREN) != 0) {
        return;
    }
    const POINT origin = winsim::detail::ClientOrigin(window);
    for (HWND child : w->children) {
        const Window* c = LookupWindow(child);
        if (c == nullptr || (c->style & WS_VISIBLE) == 0) {
            continue;
        }
        const POINT childOrigin = winsim::detail::ClientOrigin(child);
        RECT inChild = part;
        inChild.left += origin.x - childOrigin.x;
        inChild.right += origin.x - childOrigin.x;
        inChild.top += origin.y - childOrigin.y;
        inChild.bottom += origin.y - childOrigin.y;
        Invalidate(child, inChild, erase);
    }
}

void Validate(HWND window, const RECT* area)
{
    Window* w = LookupWindow(window);
    if (w == nullptr || !w->hasUpdate) {
        return;
    }
    if (area == nullptr || Contains(*area, w->update)) {
        w->hasUpdate = false;
        w->erasePending = false;
        w->update = RECT{0, 0, 0, 0};
    }
}

void PaintNow(HWND window)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        return;
    }
    if (w->hasUpdate && IsWindowVisible(window)) {
        SendMessageA(window, WM_PAINT, 0, 0);
    }
    if (const Window* still = LookupWindow(window)) {
        const std::vector<HWND> children = still->children;
        for (HWND child : children) {
            PaintNow(child);
        }
    }
}

void InvalidateAll(bool erase)
{
    for (HWND window : winsim::detail::TopLevelWindows()) {
        if (const Window* w = LookupWindow(window)) {
            Invalidate(window, ClientArea(*w), erase);
        }
    }
}

// The Windows 95 standard scheme.
constexpr std::array<COLORREF, 25> kSystemColours{
    RGB(192, 192, 192),  // COLOR_SCROLLBAR
    RGB(0, 128, 128),    // COLOR_BACKGROUND
    RGB(0, 0, 128),      // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(192, 192, 192),  // COLOR_ACTIVEBORDER
    RGB(192, 192, 192),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(0, 0, 128),      // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(192, 192, 192),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),        // COLOR_3DDKSHADOW
    RGB(192, 192, 192),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
};

}  // namespace

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase)
{
    if (window == nullptr) {
        InvalidateAll(erase != FALSE);
        return TRUE;
    }
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Invalidate(window, rect != nullptr ? *rect : ClientArea(*w), erase != FALSE);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND window, const RECT* rect)
{
    if (window == nullptr) {
        InvalidateAll(true);  // as documented: a null window repaints every window
        return TRUE;
    }
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Validate(window, rect);
    if (rect == nullptr && (w->style & WS_CLIPCHILDREN) == 0) {
        for (HWND child : w->children) {
            Validate(child, nullptr);
        }
    }
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND window, LPRECT rect, BOOL /*erase*/)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (rect != nullptr) {
        *rect = w->hasUpdate ? w->update : RECT{0, 0, 0, 0};
    }
    return w->hasUpdate ? TRUE : FALSE;
}

BOOL WINAPI UpdateWindow(HWND window)
{
    if (LookupWindow(window) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    PaintNow(window);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint)
{
    const bool failing = winsim::detail::FailableCall("BeginPaint");
    Window* w = LookupWindow(window);
    if (w == nullptr || paint == nullptr) {
        SetLastError(w == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (failing) {
        *paint = PAINTSTRUCT{};
        return nullptr;
    }
    const bool erase = w->erasePending;
    const RECT area = w->hasUpdate ? w->update : RECT{0, 0, 0, 0};
    w->hasUpdate = false;
    w->erasePending = false;
    w->update = RECT{0, 0, 0, 0};
    const HDC dc = winsim::detail::CreateDeviceContext(winsim::detail::DcKind::Paint, window);
    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    paint->rcPaint = area;
    // fErase tells the procedure that the background still needs erasing.
    paint->fErase =
        erase && SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0 ? TRUE : FALSE;
    return dc;
}

BOOL WINAPI EndPaint(HWND /*window*/, const PAINTSTRUCT* paint)
{
    if (paint == nullptr) {
        return FALSE;
    }
    const auto* context = winsim::detail::FindDeviceContext(paint->hdc);
    if (context != nullptr && context->kind == winsim::detail::DcKind::Paint) {
        winsim::detail::DropDcSelections(paint->hdc);
        winsim::detail::DestroyDeviceContext(paint->hdc);
    }
    return TRUE;
}

DWORD WINAPI GetSysColor(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= kSystemColours.size()) {
        return 0;
    }
    return kSystemColours[static_cast<std::size_t>(index)];
}

namespace winsim {

int LivePaintDcs()
{
    return detail::LiveDeviceContexts(detail::DcKind::Paint);
}

namespace detail {

std::optional<HWND> WindowNeedingPaint(HWND filter)
{
    for (HWND window : AllWindows()) {
        const Window* w = LookupWindow(window);
        if (w->hasUpdate && IsWindowVisible(window) && PassesWindowFilter(filter, window)) {
            return window;
        }
    }
    return std::nullopt;
}

void InvalidateTree(HWND window)
{
    if (const Window* w = LookupWindow(window)) {
        Invalidate(window, ClientArea(*w), true);
        const std::vector<HWND> children = w->children;
        for (HWND child : children) {
            InvalidateTree(child);
        }
    }
}

}  // namespace detail
}  // namespace winsim
