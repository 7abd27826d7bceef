// Keyboard focus and activation. There is one thread and one application, so the active
// window is also the foreground window.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>

#include "faults.h"
#include "user_windows.h"

namespace {

using winsim::detail::LookupWindow;

struct Focus {
    HWND focus = nullptr;
    HWND active = nullptr;
};

Focus& State()
{
    static auto* focus = new Focus;
    return *focus;
}

bool CanActivate(HWND window)
{
    const winsim::detail::Window* w = LookupWindow(window);
    return w != nullptr && !w->destroying && (w->style & WS_VISIBLE) != 0 && (w->style & WS_DISABLED) == 0;
}

// WM_KILLFOCUS reaches the old window after the focus has moved; when it moves the focus
// again, the new window hears nothing.
HWND SetFocusWindow(HWND window)
{
    Focus& state = State();
    const HWND previous = state.focus;
    if (previous == window) {
        return previous;
    }
    state.focus = window;
    if (previous != nullptr && IsWindow(previous)) {
        SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
        if (State().focus != window) {
            return previous;
        }
    }
    if (window != nullptr && IsWindow(window)) {
        SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

void BringToTop(HWND window)
{
    std::vector<HWND>* siblings = winsim::detail::SiblingList(window);
    if (siblings == nullptr) {
        return;
    }
    siblings->erase(std::remove(siblings->begin(), siblings->end(), window), siblings->end());
    siblings->insert(siblings->begin(), window);
}

}  // namespace

HWND WINAPI SetFocus(HWND window)
{
    if (window == nullptr) {
        return SetFocusWindow(nullptr);
    }
    if (LookupWindow(window) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (window == State().focus) {
        return window;
    }
    // A disabled window, or one inside a disabled window, cannot take the focus.
    for (HWND current = window; current != nullptr;) {
        const winsim::detail::Window* w = LookupWindow(current);
        if (w == nullptr || (w->style & WS_DISABLED) != 0) {
            return nullptr;
        }
        current = (w->style & WS_CHILD) != 0 ? w->parent : nullptr;
    }
    const HWND root = winsim::detail::RootWindow(window);
    if (root != State().active) {
        winsim::detail::SetActive(root, false);
        if (!IsWindow(window) || State().active != root) {
            return nullptr;
        }
    }
    return SetFocusWindow(window);
}

HWND WINAPI GetFocus()
{
    return State().focus;
}

HWND WINAPI GetActiveWindow()
{
    return State().active;
}

HWND WINAPI SetActiveWindow(HWND window)
{
    const HWND previous = State().active;
    if (window != nullptr && LookupWindow(window) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    winsim::detail::SetActive(window == nullptr ? nullptr : winsim::detail::RootWindow(window));
    return previous;
}

HWND WINAPI GetForegroundWindow()
{
    if (winsim::detail::FailableCall("GetForegroundWindow")) {
        return nullptr;
    }
    return State().active;
}

BOOL WINAPI SetForegroundWindow(HWND window)
{
    if (LookupWindow(window) == nullptr || winsim::detail::IsDesktop(window)) {
        return FALSE;
    }
    winsim::detail::SetActive(winsim::detail::RootWindow(window));
    return TRUE;
}

namespace winsim::detail {

void SetActive(HWND window, bool moveFocus)
{
    Focus& state = State();
    const HWND previous = state.active;
    if (previous == window) {
        return;
    }
    if (previous != nullptr && IsWindow(previous)) {
        SendMessageA(previous, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(window));
        SendMessageA(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(window));
    }
    State().active = window;
    if (window != nullptr && IsWindow(window)) {
        BringToTop(window);
        SendMessageA(window, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(previous));
        SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(previous));
    }
    // The focus follows into the newly active window unless it is there already.
    if (moveFocus && State().active == window) {
        const HWND focus = State().focus;
        if (focus == nullptr || window == nullptr || RootWindow(focus) != window) {
            SetFocusWindow(window);
        }
    }
}

// The owner of a pop-up first, then the next window down the Z order, then from the top.
void ActivateOtherWindow(HWND leaving)
{
    HWND next = nullptr;
    const Window* w = LookupWindow(leaving);
    if (w != nullptr && (w->style & WS_POPUP) != 0 && w->owner != nullptr &&
        CanActivate(RootWindow(w->owner))) {
        next = RootWindow(w->owner);
    }
    if (next == nullptr) {
        const std::vector<HWND> windows = TopLevelWindows();
        auto at = std::find(windows.begin(), windows.end(), leaving);
        if (at != windows.end()) {
            const auto below = std::find_if(at + 1, windows.end(), CanActivate);
            if (below != windows.end()) {
                next = *below;
            }
        }
        if (next == nullptr) {
            const auto any = std::find_if(windows.begin(), windows.end(), [&](HWND candidate) {
                return candidate != leaving && CanActivate(candidate);
            });
            next = any == windows.end() ? nullptr : *any;
        }
    }
    SetActive(next);
}

void ForgetWindow(HWND window)
{
    Focus& state = State();
    if (state.active == window) {
        ActivateOtherWindow(window);
        if (State().active == window) {
            State().active = nullptr;
        }
    }
    if (State().focus == window || IsAncestor(window, State().focus)) {
        const Window* w = LookupWindow(window);
        const HWND parent = (w != nullptr && (w->style & WS_CHILD) != 0) ? w->parent : nullptr;
        const Window* p = LookupWindow(parent);
        if (parent != nullptr && p != nullptr && !p->destroying) {
            SetFocus(parent);
        }
        if (State().focus == window || IsAncestor(window, State().focus)) {
            State().focus = nullptr;
        }
    }
}

}  // namespace winsim::detail
