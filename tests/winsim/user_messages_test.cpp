// Messages: hooks before the procedure, posting and broadcasting, painting and timers as a
// message loop retrieves them.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <string>
#include <vector>

#include "user_test_support.h"

using user_test::CountOf;
using user_test::Log;
using user_test::TopLevel;

namespace {

std::vector<std::string>& Trace()
{
    static std::vector<std::string> trace;
    return trace;
}

HHOOK g_hook = nullptr;
HHOOK g_otherHook = nullptr;

LRESULT CALLBACK TracingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER) {
        Trace().push_back("procedure");
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK UnhookingHook(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_USER) {
        Trace().push_back("newer hook");
        UnhookWindowsHookEx(g_hook);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

LRESULT CALLBACK OlderHook(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_USER) {
        Trace().push_back("older hook");
    }
    return CallNextHookEx(g_otherHook, code, wParam, lParam);
}

LRESULT CALLBACK SubclassingHook(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_USER) {
        Trace().push_back("hook replaces the procedure");
        SetWindowLongPtrA(message->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TracingProc));
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

std::vector<UINT_PTR>& Fired()
{
    static std::vector<UINT_PTR> fired;
    return fired;
}

void CALLBACK RecordTimer(HWND, UINT message, UINT_PTR id, DWORD)
{
    if (message == WM_TIMER) {
        Fired().push_back(id);
    }
}

}  // namespace

TEST(UserMessages, HooksSeeASentMessageBeforeTheProcedureAndMayUnhookThemselves)
{
    const HWND window = TopLevel("Hooked");
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TracingProc));
    g_otherHook = SetWindowsHookExA(WH_CALLWNDPROC, OlderHook, nullptr, GetCurrentThreadId());
    g_hook = SetWindowsHookExA(WH_CALLWNDPROC, UnhookingHook, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_hook, nullptr);
    EXPECT_EQ(winsim::LiveHooks(), 2);

    SendMessageA(window, WM_USER, 0, 0);
    EXPECT_EQ(Trace(), (std::vector<std::string>{"newer hook", "older hook", "procedure"}));
    EXPECT_EQ(winsim::LiveHooks(), 1);

    Trace().clear();
    SendMessageA(window, WM_USER, 0, 0);
    EXPECT_EQ(Trace(), (std::vector<std::string>{"older hook", "procedure"}));
    EXPECT_FALSE(UnhookWindowsHookEx(g_hook));
    EXPECT_TRUE(UnhookWindowsHookEx(g_otherHook));
    EXPECT_EQ(winsim::LiveHooks(), 0);
}

TEST(UserMessages, TheProcedureInForceAfterTheHooksGetsTheMessage)
{
    const HWND window = TopLevel("Captured");
    g_hook = SetWindowsHookExA(WH_CALLWNDPROC, SubclassingHook, nullptr, GetCurrentThreadId());
    SendMessageA(window, WM_USER, 0, 0);
    EXPECT_EQ(Trace(), (std::vector<std::string>{"hook replaces the procedure", "procedure"}));
    EXPECT_EQ(CountOf(window, WM_USER), 0);
}

TEST(UserMessages, HooksAreRefusedForOtherThreadsAndKinds)
{
    EXPECT_EQ(SetWindowsHookExA(WH_CALLWNDPROC, OlderHook, nullptr, GetCurrentThreadId() + 1), nullptr);
    EXPECT_EQ(SetWindowsHookExA(WH_CALLWNDPROC, OlderHook, nullptr, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOOK_NEEDS_HMOD));
    EXPECT_EQ(SetWindowsHookExA(99, OlderHook, nullptr, GetCurrentThreadId()), nullptr);
    EXPECT_EQ(winsim::LiveHooks(), 0);
}

TEST(UserMessages, ABroadcastReachesTopLevelWindowsOnlyInZOrder)
{
    const HWND first = TopLevel("First");
    const HWND second = TopLevel("Second", WS_POPUP);  // hidden windows hear broadcasts too
    const HWND child = user_test::Child(first, 4);
    winsim::PumpMessages();
    Log().clear();
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, 16, MAKELPARAM(800, 600)));
    EXPECT_EQ(CountOf(first, WM_DISPLAYCHANGE), 0);  // posted, not sent
    EXPECT_EQ(winsim::PumpMessages(), 2);
    std::vector<HWND> reached;
    for (const auto& entry : Log()) {
        if (entry.message == WM_DISPLAYCHANGE) {
            reached.push_back(entry.window);
            EXPECT_EQ(entry.wParam, 16u);
            EXPECT_EQ(entry.lParam, MAKELPARAM(800, 600));
        }
    }
    EXPECT_EQ(reached, (std::vector<HWND>{second, first}));
    EXPECT_EQ(CountOf(child, WM_DISPLAYCHANGE), 0);
    ASSERT_EQ(winsim::Broadcasts().size(), 1u);
    ASSERT_FALSE(winsim::Journal().empty());
    EXPECT_EQ(winsim::Journal().back().kind, winsim::JournalKind::Broadcast);
}

TEST(UserMessages, PostedMessagesArriveInOrderAndVanishWithTheirWindow)
{
    const HWND window = TopLevel("Posted");
    const HWND doomed = TopLevel("Doomed");
    winsim::PumpMessages();
    Log().clear();
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostMessageA(doomed, WM_USER + 2, 0, 0);
    PostMessageA(window, WM_USER + 3, 0, 0);
    DestroyWindow(doomed);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 3));
    ASSERT_TRUE(GetMessageA(&message, window, 0, 0));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));

    PostQuitMessage(3);
    EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 3u);
}

TEST(UserMessages, PaintComesOnlyWhileAWindowIsInvalid)
{
    const HWND window = TopLevel("Paint");
    EXPECT_EQ(winsim::PumpMessages(), 1);  // shown: painted once
    EXPECT_EQ(CountOf(window, WM_PAINT), 1);
    EXPECT_EQ(winsim::PumpMessages(), 0);

    RECT part{5, 5, 20, 20};
    InvalidateRect(window, &part, FALSE);
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_EQ(update.right, 20);
    PostMessageA(window, WM_USER, 0, 0);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));  // posted messages come first
    EXPECT_EQ(winsim::PumpMessages(), 1);
    EXPECT_EQ(CountOf(window, WM_PAINT), 2);
    EXPECT_EQ(CountOf(window, WM_ERASEBKGND), 1);  // only the first paint asked for erasing
    EXPECT_EQ(winsim::LivePaintDcs(), 0);

    InvalidateRect(window, nullptr, TRUE);
    ShowWindow(window, SW_HIDE);
    EXPECT_EQ(winsim::PumpMessages(), 0);  // hidden windows are not painted
    ShowWindow(window, SW_SHOW);
    EXPECT_TRUE(UpdateWindow(window));  // sent at once
    EXPECT_EQ(CountOf(window, WM_PAINT), 3);
    EXPECT_EQ(winsim::PumpMessages(), 0);
}

TEST(UserMessages, DueTimersFireInOrderOfDueTimeOncePerRetrieval)
{
    const HWND window = TopLevel("Timers");
    winsim::PumpMessages();
    EXPECT_EQ(SetTimer(window, 7, 300, RecordTimer), 7u);
    EXPECT_EQ(SetTimer(window, 8, 100, RecordTimer), 8u);
    const UINT_PTR thread = SetTimer(nullptr, 0, 200, RecordTimer);
    EXPECT_NE(thread, 0u);
    EXPECT_EQ(winsim::LiveTimers(), 3);

    const DWORD start = GetTickCount();
    winsim::AdvanceClock(99);
    EXPECT_EQ(winsim::PumpMessages(), 0);
    winsim::AdvanceClock(901);  // timer 8 missed nine periods: it still fires once
    EXPECT_EQ(GetTickCount(), start + 1000);
    EXPECT_EQ(winsim::PumpMessages(), 3);
    EXPECT_EQ(Fired(), (std::vector<UINT_PTR>{8, thread, 7}));

    Fired().clear();
    EXPECT_TRUE(KillTimer(window, 7));
    EXPECT_FALSE(KillTimer(window, 7));
    SetTimer(window, 8, 50, nullptr);  // replaced: a plain WM_TIMER for the window now
    winsim::AdvanceClock(60);
    winsim::PumpMessages();
    EXPECT_TRUE(Fired().empty());
    EXPECT_EQ(CountOf(window, WM_TIMER), 1);
    winsim::AdvanceClock(140);
    winsim::PumpMessages();
    EXPECT_EQ(Fired(), (std::vector<UINT_PTR>{thread}));
    DestroyWindow(window);
    EXPECT_EQ(winsim::LiveTimers(), 1);
}

TEST(UserMessages, FocusFollowsActivationAndLeavesDisabledWindows)
{
    const HWND first = TopLevel("First");
    const HWND child = user_test::Child(first, 3);
    const HWND second = TopLevel("Second");
    EXPECT_EQ(GetFocus(), second);
    Log().clear();
    SetFocus(first);
    EXPECT_EQ(GetFocus(), first);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(SetFocus(child), first);
    EXPECT_EQ(SetFocus(first), child);
    EXPECT_EQ(CountOf(second, WM_KILLFOCUS), 1);
    EXPECT_EQ(CountOf(first, WM_SETFOCUS), 2);
    EnableWindow(first, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(SetFocus(first), nullptr);
    EXPECT_TRUE(EnableWindow(first, TRUE));
    EXPECT_FALSE(EnableWindow(first, TRUE));
}
