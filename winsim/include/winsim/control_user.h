// winsim's control surface for the window manager: the clock that timers run on, the script
// of what the user does while a message loop waits, and what the user saw (message boxes,
// help, broadcasts) in order. Included by control.h.
#pragma once

#include <winsim/win32.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace winsim {

// ---- the clock ----
// GetTickCount and every timer run on this clock. It moves only when a test, a tool or the
// script advances it; due timers fire the next time a message loop looks for messages.
DWORD ClockNow();
void AdvanceClock(DWORD milliseconds);

// ---- the user's script ----
// Actions run one at a time, in order, whenever a message loop would otherwise wait for
// input (no posted message, no window to paint, no due timer). A loop that would wait with
// an empty script stops the process with a description of the open windows.
//
// Presses the button with this ID in the innermost open message box.
void ScriptAnswerMessageBox(int buttonId);
// Clicks the control with this ID in the active window (a direct child first, else any
// descendant): BM_CLICK for a button, else WM_COMMAND with BN_CLICKED to its parent.
void ScriptClickControl(int controlId);
// Presses and releases a key in the focused window (the active window when none has the
// focus); the message loop passes it through the dialog manager. F1 also asks for help.
void ScriptPressKey(int virtualKey);
void ScriptAdvanceClock(DWORD milliseconds);
void ScriptCall(std::string description, std::function<void()> action);
std::size_t ScriptPending();
void ClearScript();
// What the user does when a loop would wait and the script is empty: `user` acts, directly or
// through the script, and answers true; when it answers false, or there is none, the loop
// stops the process as above.
void SetIdleUser(std::function<bool()> user);

// ---- running message loops from a test ----
// Dispatches what a message loop can retrieve without waiting; returns how many messages.
int PumpMessages();
// Runs a message loop (through the dialog manager for the active dialog) until `done` is
// true, using the script when the loop would wait. False when the script ran out first.
bool RunUntil(const std::function<bool()>& done);

// ---- what the user saw ----
struct MessageBoxRecord {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
    HWND window = nullptr;  // the box while it is open
    int result = 0;         // the answer; 0 while open or when the box failed
};
const std::vector<MessageBoxRecord>& MessageBoxes();
// Forgets the boxes shown so far; does nothing while a box is open.
void ClearMessageBoxes();

struct WinHelpRecord {
    HWND window = nullptr;
    std::string path;
    UINT command = 0;
    ULONG_PTR data = 0;
    // For HELP_WM_HELP and HELP_CONTEXTMENU: the (control ID, context) pairs up to the (0, 0)
    // that ends the table, which is not included.
    std::vector<std::pair<DWORD, DWORD>> helpIds;
};
const std::vector<WinHelpRecord>& WinHelpCalls();

enum class JournalKind {
    MessageBox,  // a message box opened: caption and text
    Answer,      // a message box closed: the button
    Dialog,      // a modal dialog opened or ended
    Help,        // WinHelpA
    Broadcast,   // a message posted to every top-level window
    Script,      // a scripted action ran
};
struct JournalEntry {
    JournalKind kind;
    std::string text;
};
const std::vector<JournalEntry>& Journal();
void ClearJournal();

// ---- live objects ----
int LiveWindows();  // the desktop not counted
// Windows 9x gives a new window the handle of one destroyed before, so that an old handle can
// name a foreign window. When on, a new window takes the handle freed last; off (the default),
// every window has a handle of its own.
void ReuseWindowHandles(bool reuse);
int LiveHooks();
int LiveTimers();
int LivePaintDcs();

// ---- finding windows ----
// The first window, in creation order, whose caption or class name is exactly this; null when none.
HWND FindWindowByCaption(std::string_view caption);
HWND FindWindowByClass(std::string_view className);  // class names compare without case
std::vector<HWND> WindowsOfClass(std::string_view className);
// One line per window: handle, class, caption, parent or owner, state.
std::string DescribeWindows();

// ---- dialog base units ----
// GetDialogBaseUnits (the system font; 8 x 16 unless set) and the units of a dialog whose
// template names an 8-point font (6 x 13 unless set; other sizes scale from it).
void SetDialogBaseUnits(int x, int y);
void SetDialogFontBaseUnits(int x, int y);

}  // namespace winsim
