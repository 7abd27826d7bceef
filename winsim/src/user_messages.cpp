// Sent and posted messages: SendMessageA through the thread's hooks, the message loop's view
// of the queue (posted messages, then WM_QUIT, then WM_PAINT, then WM_TIMER), dispatching,
// key translation and the dialog manager's keyboard interface.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <cstdio>

#include "faults.h"
#include "message_queue.h"
#include "user_windows.h"

namespace {

using winsim::detail::LookupWindow;

struct Quit {
    bool pending = false;
    int exitCode = 0;
};

Quit& QuitState()
{
    static auto* quit = new Quit;
    return *quit;
}

const auto kThreadOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

void Fill(MSG* out, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    out->hwnd = window;
    out->message = message;
    out->wParam = wParam;
    out->lParam = lParam;
    out->time = GetTickCount();
    GetCursorPos(&out->pt);
}

char CharacterOfKey(WPARAM key)
{
    if (key >= 'A' && key <= 'Z') {
        return static_cast<char>(key - 'A' + 'a');
    }
    if (key >= '0' && key <= '9') {
        return static_cast<char>(key);
    }
    switch (key) {
        case VK_RETURN:
            return '\r';
        case VK_ESCAPE:
            return 0x1B;
        case VK_BACK:
            return '\b';
        case VK_TAB:
            return '\t';
        case VK_SPACE:
            return ' ';
        default:
            return 0;
    }
}

void PressDefaultButton(HWND dialog)
{
    const HWND focus = GetFocus();
    if (IsChild(dialog, focus) && (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) != 0) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                     reinterpret_cast<LPARAM>(focus));
        return;
    }
    const auto defaultId = static_cast<DWORD>(SendMessageA(dialog, DM_GETDEFID, 0, 0));
    if (HIWORD(defaultId) == DC_HASDEFID) {
        const HWND button = GetDlgItem(dialog, LOWORD(defaultId));
        if (button == nullptr || IsWindowEnabled(button)) {
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(LOWORD(defaultId), BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
        }
        return;
    }
    SendMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

void PressCancel(HWND dialog)
{
    const HWND cancel = GetDlgItem(dialog, IDCANCEL);
    if (cancel == nullptr || IsWindowEnabled(cancel)) {
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(cancel));
    }
}

// The keys that the dialog manager takes for itself; false when the control wants the key.
bool HandleDialogKey(HWND dialog, const MSG& message)
{
    const auto code =
        SendMessageA(message.hwnd, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
    if ((code & DLGC_WANTMESSAGE) != 0) {
        return false;
    }
    switch (message.wParam) {
        case VK_TAB:
            if ((code & DLGC_WANTTAB) != 0) {
                return false;
            }
            SendMessageA(dialog, WM_NEXTDLGCTL, (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0 ? 1 : 0, 0);
            return true;
        case VK_ESCAPE:
        case VK_CANCEL:
            PressCancel(dialog);
            return true;
        case VK_RETURN:
            PressDefaultButton(dialog);
            return true;
        default:
            return false;
    }
}

}  // namespace

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == HWND_BROADCAST) {
        for (HWND top : winsim::detail::TopLevelWindows()) {
            if (IsWindow(top)) {
                SendMessageA(top, message, wParam, lParam);
            }
        }
        return 1;
    }
    if (LookupWindow(window) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    winsim::detail::RunCallWndProcHooks(window, message, wParam, lParam);
    // The procedure in force when the message arrives, which a hook may have replaced.
    const winsim::detail::Window* target = LookupWindow(window);
    if (target == nullptr) {
        return 0;
    }
    return CallWindowProcA(target->proc, window, message, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (winsim::detail::FailableCall("PostMessageA")) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    const winsim::PostedMessage posted{window, message, wParam, lParam};
    if (window == HWND_BROADCAST) {
        winsim::detail::RecordBroadcast(posted);
        winsim::detail::DeliverBroadcast(posted);
        return TRUE;
    }
    if (window != nullptr && !winsim::detail::IsWindowHandle(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // A null window posts to the thread itself.
    winsim::detail::PostToQueue(posted);
    return TRUE;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND item = GetDlgItem(dialog, id);
    return item != nullptr ? SendMessageA(item, message, wParam, lParam) : 0;
}

BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax)
{
    if (message == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return -1;
    }
    for (;;) {
        if (window != nullptr && window != kThreadOnly && LookupWindow(window) == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return -1;
        }
        if (winsim::detail::RetrieveMessage(message, window, filterMin, filterMax, true)) {
            return message->message != WM_QUIT ? TRUE : FALSE;
        }
        winsim::detail::WaitForInput();
    }
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT remove)
{
    if (message == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    if (window != nullptr && window != kThreadOnly && LookupWindow(window) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return winsim::detail::RetrieveMessage(message, window, filterMin, filterMax, (remove & PM_REMOVE) != 0)
               ? TRUE
               : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* message)
{
    if (message == nullptr || (message->message != WM_KEYDOWN && message->message != WM_KEYUP)) {
        return FALSE;
    }
    if (message->message == WM_KEYDOWN) {
        if (const char character = CharacterOfKey(message->wParam); character != 0) {
            PostMessageA(message->hwnd, WM_CHAR, static_cast<unsigned char>(character), message->lParam);
        }
    }
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message)
{
    if (message == nullptr) {
        return 0;
    }
    // A timer with a procedure calls it instead of the window's procedure; Windows checks
    // that the procedure belongs to a timer first.
    if (message->message == WM_TIMER && message->lParam != 0) {
        const auto proc = reinterpret_cast<TIMERPROC>(message->lParam);
        if (!winsim::detail::IsLiveTimerProc(proc)) {
            return 0;
        }
        proc(message->hwnd, WM_TIMER, message->wParam, GetTickCount());
        return 0;
    }
    if (message->hwnd == nullptr) {
        return 0;
    }
    const winsim::detail::Window* target = LookupWindow(message->hwnd);
    if (target == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CallWindowProcA(target->proc, message->hwnd, message->message, message->wParam, message->lParam);
}

void WINAPI PostQuitMessage(int exitCode)
{
    QuitState().pending = true;
    QuitState().exitCode = exitCode;
}

BOOL WINAPI IsDialogMessageA(HWND dialog, LPMSG message)
{
    if (message == nullptr || LookupWindow(dialog) == nullptr) {
        return FALSE;
    }
    if (message->hwnd != dialog && !IsChild(dialog, message->hwnd)) {
        return FALSE;
    }
    if (message->message == WM_KEYDOWN && HandleDialogKey(dialog, *message)) {
        return TRUE;
    }
    TranslateMessage(message);
    DispatchMessageA(message);
    return TRUE;
}

namespace winsim::detail {

bool IsWindowHandle(HWND window)
{
    return LookupWindow(window) != nullptr;
}

bool PassesWindowFilter(HWND filter, HWND window)
{
    if (filter == nullptr) {
        return true;
    }
    if (filter == kThreadOnly) {
        return window == nullptr;
    }
    return window == filter || IsChild(filter, window);
}

bool PassesRange(UINT first, UINT last, UINT message)
{
    return (first == 0 && last == 0) || (first <= message && message <= last);
}

bool RetrieveMessage(MSG* message, HWND filter, UINT first, UINT last, bool remove)
{
    const auto posted = FindPostedMessage(
        [&](const PostedMessage& m) {
            return PassesWindowFilter(filter, m.window) && PassesRange(first, last, m.message);
        },
        remove);
    if (posted) {
        Fill(message, posted->window, posted->message, posted->wParam, posted->lParam);
        return true;
    }
    // WM_QUIT passes every filter.
    if (QuitState().pending) {
        Fill(message, nullptr, WM_QUIT, static_cast<WPARAM>(QuitState().exitCode), 0);
        if (remove) {
            QuitState().pending = false;
        }
        return true;
    }
    if (PassesRange(first, last, WM_PAINT)) {
        if (const auto window = WindowNeedingPaint(filter)) {
            Fill(message, *window, WM_PAINT, 0, 0);
            return true;
        }
    }
    if (const auto timer = DueTimer(filter, first, last, remove)) {
        *message = *timer;
        return true;
    }
    return false;
}

void DeliverBroadcast(const PostedMessage& message)
{
    const std::vector<HWND> windows = TopLevelWindows();
    for (HWND window : windows) {
        PostToQueue(PostedMessage{window, message.message, message.wParam, message.lParam});
    }
    char text[96];
    std::snprintf(text, sizeof(text), "message 0x%04X wParam 0x%llX lParam 0x%llX to %zu top-level windows",
                  message.message, static_cast<unsigned long long>(message.wParam),
                  static_cast<unsigned long long>(message.lParam), windows.size());
    Record(JournalKind::Broadcast, text);
}

}  // namespace winsim::detail
