// What the parts of winsim's window manager share: the window table, the frame model, focus
// and activation, timers, painting, the dialog manager and the script that stands in for the
// user. Everything here runs on the one user-interface thread.
#pragma once

#include <winsim/control.h>
#include <winsim/win32.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winsim::detail {

// What the dialog manager keeps for a window of the dialog class.
struct DialogInfo {
    HFONT font = nullptr;
    bool ownsFont = false;  // made from the template's font, deleted with the dialog
    int baseX = 8;          // dialog base units of the dialog's font
    int baseY = 16;
    HWND savedFocus = nullptr;
    int defaultId = 0;
    bool ended = false;
    INT_PTR result = 0;
    HWND disabledOwner = nullptr;  // the owner that a modal dialog disabled
};

struct Window {
    HWND handle = nullptr;
    std::string className;
    ATOM atom = 0;
    UINT classStyle = 0;
    HBRUSH background = nullptr;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;        // control ID of a child, menu of a top-level window
    HWND parent = nullptr;  // null for top-level windows, whose parent is the desktop
    HWND owner = nullptr;   // top-level windows only
    HINSTANCE instance = nullptr;
    RECT rect{};  // window rectangle in screen coordinates
    WNDPROC proc = nullptr;
    LONG_PTR userData = 0;
    std::vector<BYTE> extra;
    std::vector<HWND> children;  // Z order, topmost first
    bool hasUpdate = false;
    RECT update{};  // bounding rectangle of the update region, client coordinates
    bool erasePending = false;
    bool destroying = false;
    std::uint64_t sequence = 0;  // creation order
    std::optional<DialogInfo> dialog;
};

// ---- the window table (user_windows.cpp) ----
Window* LookupWindow(HWND window);
HWND DesktopHandle();
bool IsDesktop(HWND window);
// The list of siblings that holds the window: its parent's children, or the top-level windows.
std::vector<HWND>* SiblingList(HWND window);
std::vector<HWND> TopLevelWindows();  // Z order
// Every window except the desktop, parents before their children.
std::vector<HWND> AllWindows();
std::vector<HWND> AllWindowsInCreationOrder();
// The top-level window that holds the window (itself when it is top-level).
HWND RootWindow(HWND window);
bool IsAncestor(HWND ancestor, HWND window);
void EnsureClassesRegistered();
std::string DescribeWindow(HWND window);

// ---- the frame and coordinates (user_geometry.cpp) ----
// Thickness of the non-client frame on each side.
RECT FrameInsets(DWORD style, DWORD exStyle);
RECT ClientRectOnScreen(const Window& window);
POINT ClientOrigin(HWND window);  // screen position of the client area's origin
void ShiftWindowTree(HWND window, LONG dx, LONG dy);
int MulDivRound(int value, int numerator, int denominator);

// ---- focus and activation (user_focus.cpp) ----
// Activates a top-level window; the focus follows into it unless the caller places it.
void SetActive(HWND window, bool moveFocus = true);
void ActivateOtherWindow(HWND leaving);
// Keeps focus and activation off a window that is going away.
void ForgetWindow(HWND window);

// ---- timers (user_timers.cpp) ----
std::uint64_t Now();
// The due timer that a message loop retrieves next, as its WM_TIMER message.
std::optional<MSG> DueTimer(HWND filter, UINT first, UINT last, bool remove);
bool IsLiveTimerProc(TIMERPROC proc);
void KillWindowTimers(HWND window);

// ---- painting (user_paint.cpp) ----
std::optional<HWND> WindowNeedingPaint(HWND filter);
void InvalidateTree(HWND window);

// ---- messages (user_messages.cpp) ----
// Whether a message for this window passes a message loop's window filter.
bool PassesWindowFilter(HWND filter, HWND window);
bool PassesRange(UINT first, UINT last, UINT message);
// Takes the next message that a loop would retrieve now, without waiting.
bool RetrieveMessage(MSG* message, HWND filter, UINT first, UINT last, bool remove);

// ---- hooks (user_hooks.cpp) ----
// The thread's WH_CALLWNDPROC hooks, newest first, see a message that is being sent.
void RunCallWndProcHooks(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- dialogs (user_dialogs.cpp) ----
DialogInfo* DialogOf(HWND window);
bool IsDialogWindow(HWND window);
LRESULT CALLBACK DialogClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Creates a dialog from template bytes; a modal dialog disables its owner first.
HWND CreateDialogFromTemplate(HINSTANCE instance, const void* bytes, std::size_t size, HWND owner,
                              DLGPROC proc, LPARAM param, bool modal);
INT_PTR RunModalDialog(HWND dialog);

// ---- message boxes (user_msgbox.cpp) ----
HWND InnermostMessageBox();
// Ends the message box as the user's press of one of its buttons; false when it has no such button.
bool AnswerMessageBox(HWND box, int buttonId);

// ---- the user's script and the journal (user_script.cpp) ----
// A message loop has nothing to retrieve: the next scripted action runs, or the process
// stops with a description of what is on the screen.
void WaitForInput();
[[noreturn]] void Stop(std::string_view reason);
void Record(JournalKind kind, std::string text);
std::string Quoted(std::string_view text);
std::string HandleText(const void* handle);

}  // namespace winsim::detail
