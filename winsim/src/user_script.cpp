// The user, as a script: what a test or tool says the user does next, performed when a message
// loop would otherwise wait for input. And the journal of what the user saw, in order.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <utility>

#include "text.h"
#include "user_windows.h"

namespace {

struct Action {
    std::string description;
    std::function<void()> perform;
};

struct Script {
    std::deque<Action> actions;
    std::vector<winsim::JournalEntry> journal;
    std::function<bool()> idleUser;
};

Script& State()
{
    static auto* script = new Script;
    return *script;
}

// More messages than this without a pause means a window that never stops asking (a WM_PAINT
// that is never validated, a message that posts itself).
constexpr int kRunawayLimit = 100000;

void Add(std::string description, std::function<void()> perform)
{
    State().actions.push_back(Action{std::move(description), std::move(perform)});
}

bool RunNextAction()
{
    auto& actions = State().actions;
    if (actions.empty()) {
        return false;
    }
    Action action = std::move(actions.front());
    actions.pop_front();
    winsim::detail::Record(winsim::JournalKind::Script, action.description);
    action.perform();
    return true;
}

HWND FindControl(HWND parent, int id)
{
    if (const HWND direct = GetDlgItem(parent, id)) {
        return direct;
    }
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (const HWND found = FindControl(child, id)) {
            return found;
        }
    }
    return nullptr;
}

// A user reaches a control only when it and every window around it is shown and enabled.
bool CanUse(HWND window)
{
    for (HWND current = window; current != nullptr;) {
        if (!IsWindowEnabled(current)) {
            return false;
        }
        current = (GetWindowLongA(current, GWL_STYLE) & WS_CHILD) != 0 ? GetParent(current) : nullptr;
    }
    return IsWindowVisible(window) != FALSE;
}

void ClickControl(int id)
{
    const HWND active = GetActiveWindow();
    if (active == nullptr) {
        winsim::detail::Stop("the script clicks control " + std::to_string(id) + ", but no window is active");
    }
    const HWND control = FindControl(active, id);
    if (control == nullptr) {
        winsim::detail::Stop("the script clicks control " + std::to_string(id) +
                             ", which the active window " + winsim::detail::HandleText(active) +
                             " does not have");
    }
    if (!CanUse(control)) {
        winsim::detail::Stop("the script clicks control " + std::to_string(id) +
                             ", which is hidden or disabled");
    }
    char className[64] = {};
    GetClassNameA(control, className, sizeof(className));
    if (winsim::detail::EqualsIgnoreCase(className, "Button")) {
        SendMessageA(control, BM_CLICK, 0, 0);
    } else {
        SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
    }
}

void PressKey(int key)
{
    HWND target = GetFocus();
    if (target == nullptr) {
        target = GetActiveWindow();
    }
    if (target == nullptr) {
        winsim::detail::Stop("the script presses key " + std::to_string(key) +
                             ", but no window has the focus");
    }
    PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    if (key == VK_F1) {
        PostMessageA(target, WM_KEYF1, 0, 0);
    }
    PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(key), static_cast<LPARAM>(0xC0000001U));
}

void AnswerBox(int id)
{
    const HWND box = winsim::detail::InnermostMessageBox();
    if (box == nullptr) {
        winsim::detail::Stop("the script answers a message box with " + std::to_string(id) +
                             ", but none is open");
    }
    if (!IsWindowEnabled(box)) {
        winsim::detail::Stop("the script answers message box " + winsim::detail::HandleText(box) +
                             ", which is disabled behind another window");
    }
    if (!winsim::detail::AnswerMessageBox(box, id)) {
        winsim::detail::Stop("the script answers message box " + winsim::detail::HandleText(box) + " with " +
                             std::to_string(id) + ", a button that it does not have");
    }
}

void DispatchThroughActiveDialog(MSG& message)
{
    const HWND active = GetActiveWindow();
    if (active != nullptr && winsim::detail::IsDialogWindow(active) && IsDialogMessageA(active, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

}  // namespace

namespace winsim {

void ScriptAnswerMessageBox(int buttonId)
{
    Add("answer the message box with " + std::to_string(buttonId), [buttonId] { AnswerBox(buttonId); });
}

void ScriptClickControl(int controlId)
{
    Add("click control " + std::to_string(controlId), [controlId] { ClickControl(controlId); });
}

void ScriptPressKey(int virtualKey)
{
    char text[32];
    std::snprintf(text, sizeof(text), "press key 0x%02X", static_cast<unsigned>(virtualKey));
    Add(text, [virtualKey] { PressKey(virtualKey); });
}

void ScriptAdvanceClock(DWORD milliseconds)
{
    Add("wait " + std::to_string(milliseconds) + " ms", [milliseconds] { AdvanceClock(milliseconds); });
}

void ScriptCall(std::string description, std::function<void()> action)
{
    Add(std::move(description), std::move(action));
}

std::size_t ScriptPending()
{
    return State().actions.size();
}

void ClearScript()
{
    State().actions.clear();
}

void SetIdleUser(std::function<bool()> user)
{
    State().idleUser = std::move(user);
}

int PumpMessages()
{
    int count = 0;
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (++count > kRunawayLimit) {
            detail::Stop("messages never stop coming: " + detail::DescribeWindow(message.hwnd) +
                         " keeps receiving " + std::to_string(message.message));
        }
    }
    return count;
}

bool RunUntil(const std::function<bool()>& done)
{
    for (int count = 0; !done(); ++count) {
        if (count > kRunawayLimit) {
            detail::Stop("RunUntil found no end after " + std::to_string(kRunawayLimit) + " steps");
        }
        MSG message{};
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return done();
            }
            DispatchThroughActiveDialog(message);
        } else if (!RunNextAction()) {
            return false;
        }
    }
    return true;
}

const std::vector<JournalEntry>& Journal()
{
    return State().journal;
}

void ClearJournal()
{
    State().journal.clear();
}

namespace detail {

void WaitForInput()
{
    if (RunNextAction()) {
        return;
    }
    // A copy: the user may set another while acting.
    const std::function<bool()> user = State().idleUser;
    if (!user || !user()) {
        Stop("a message loop waits for the user, and the script has no more actions");
    }
}

void Stop(std::string_view reason)
{
    std::fprintf(stderr, "winsim: %.*s\nOpen windows:\n%s", static_cast<int>(reason.size()), reason.data(),
                 DescribeWindows().c_str());
    if (const HWND box = InnermostMessageBox()) {
        std::fprintf(stderr, "Innermost message box: %s\n", DescribeWindow(box).c_str());
    }
    std::fflush(stderr);
    std::abort();
}

void Record(JournalKind kind, std::string text)
{
    State().journal.push_back(JournalEntry{kind, std::move(text)});
}

std::string Quoted(std::string_view text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        if (c == '\n') {
            quoted += "\\n";
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string HandleText(const void* handle)
{
    char text[24];
    std::snprintf(text, sizeof(text), "0x%08llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(handle)));
    return text;
}

}  // namespace detail
}  // namespace winsim
