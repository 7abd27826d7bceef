// Windows: creation and destruction, parents and owners, window words and subclassing, text.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <vector>

#include "user_test_support.h"

using user_test::Child;
using user_test::Log;
using user_test::MessagesOf;
using user_test::TopLevel;

namespace {

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log().push_back({window, message, wParam, lParam});
    return message == WM_CREATE ? -1 : DefWindowProcA(window, message, wParam, lParam);
}

std::vector<std::string>& Calls()
{
    static std::vector<std::string> calls;
    return calls;
}

WNDPROC g_first = nullptr;
WNDPROC g_second = nullptr;

LRESULT CALLBACK FirstSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER) {
        Calls().push_back("first");
    }
    return CallWindowProcA(g_first, window, message, wParam, lParam);
}

LRESULT CALLBACK SecondSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER) {
        Calls().push_back("second");
    }
    return CallWindowProcA(g_second, window, message, wParam, lParam);
}

}  // namespace

TEST(UserWindows, CreationSendsNcCreateCreateSizeMoveThenShows)
{
    const HWND window = TopLevel("Main");
    ASSERT_NE(window, nullptr);
    const std::vector<UINT> messages = MessagesOf(window);
    ASSERT_GE(messages.size(), 5u);
    EXPECT_EQ(messages[0], static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(messages[1], static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(messages[2], static_cast<UINT>(WM_MOVE));
    EXPECT_EQ(messages[3], static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(messages[4], static_cast<UINT>(WM_SHOWWINDOW));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetActiveWindow(), window);
    EXPECT_EQ(GetForegroundWindow(), window);
    char text[16];
    EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 4);
    EXPECT_STREQ(text, "Main");
}

TEST(UserWindows, MinusOneFromCreateFailsTheCreation)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RefuseCreation;
    windowClass.lpszClassName = "Refusing";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(CreateWindowExA(0, "REFUSING", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(winsim::LiveWindows(), 0);
    ASSERT_FALSE(Log().empty());
    EXPECT_EQ(Log().back().message, static_cast<UINT>(WM_NCDESTROY));
}

TEST(UserWindows, ClassesAreFoundWithoutRegardToCaseAndUnknownOnesFail)
{
    user_test::LoggingClass();
    EXPECT_NE(
        CreateWindowExA(0, "usertestwindow", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    WNDCLASSA again{};
    again.lpfnWndProc = DefWindowProcA;
    again.lpszClassName = "USERTESTWINDOW";
    EXPECT_EQ(RegisterClassA(&again), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    char name[8];
    EXPECT_EQ(GetClassNameA(winsim::FindWindowByClass("UserTestWindow"), name, sizeof name), 7);
    EXPECT_STREQ(name, "UserTes");
}

TEST(UserWindows, GetParentAnswersTheParentOfAChildAndTheOwnerOfAPopup)
{
    const HWND sheet = TopLevel("Sheet");
    const HWND page = Child(sheet, 12);
    const HWND popup = TopLevel("Popup", WS_POPUP | WS_CAPTION, page);
    const HWND overlapped = TopLevel("Overlapped", WS_OVERLAPPED, sheet);
    EXPECT_EQ(GetParent(page), sheet);
    EXPECT_EQ(GetParent(popup), sheet);  // the owner is the page's top-level window
    EXPECT_EQ(GetWindow(popup, GW_OWNER), sheet);
    EXPECT_EQ(GetParent(overlapped), nullptr);
    EXPECT_EQ(GetWindow(overlapped, GW_OWNER), sheet);
    EXPECT_EQ(GetParent(sheet), nullptr);
    EXPECT_EQ(GetWindowLongPtrA(page, GWLP_HWNDPARENT), reinterpret_cast<LONG_PTR>(sheet));
    EXPECT_EQ(GetDlgItem(sheet, 12), page);
    EXPECT_EQ(GetDlgCtrlID(page), 12);
    EXPECT_EQ(GetDlgItem(sheet, 13), nullptr);
    EXPECT_TRUE(IsChild(sheet, page));
    EXPECT_FALSE(IsChild(sheet, popup));
}

TEST(UserWindows, SubclassingChainsRunNewestFirstAndRestoreInReverse)
{
    const HWND window = TopLevel("Sub");
    g_first = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FirstSubclass)));
    EXPECT_EQ(g_first, user_test::LoggingProc);
    g_second = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SecondSubclass)));
    EXPECT_EQ(g_second, FirstSubclass);
    SendMessageA(window, WM_USER, 0, 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"second", "first"}));
    EXPECT_EQ(user_test::CountOf(window, WM_USER), 1);

    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_second));
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_first));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(user_test::LoggingProc));
}

TEST(UserWindows, ThirtyTwoBitWordsCannotCarryAProcedureOnThisHost)
{
    const HWND window = TopLevel("Narrow");
    SetLastError(0);
    EXPECT_EQ(SetWindowLongA(window, GWL_WNDPROC, 0x1234), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(user_test::LoggingProc));
    EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC), 0);

    EXPECT_EQ(SetWindowLongA(window, GWL_ID, 77), 0);
    EXPECT_EQ(GetWindowLongA(window, GWL_ID), 77);
    EXPECT_EQ(SetWindowLongA(window, GWL_USERDATA, -5), 0);
    EXPECT_EQ(GetWindowLongA(window, GWL_USERDATA), -5);
}

TEST(UserWindows, ExtraBytesAreBoundedByTheClass)
{
    const HWND window = TopLevel("Extra");  // 16 extra bytes
    EXPECT_EQ(SetWindowLongPtrA(window, 8, 0x55), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, 8), 0x55);
    EXPECT_EQ(GetWindowLongA(window, 12), 0);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrA(window, 9), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(SetWindowLongA(window, 13, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

TEST(UserWindows, TextIsTruncatedToTheBufferWithItsTerminator)
{
    const HWND window = TopLevel("Display Properties");
    char text[8] = "xxxxxxx";
    EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 7);
    EXPECT_STREQ(text, "Display");
    EXPECT_EQ(GetWindowTextA(window, text, 1), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(GetWindowTextLengthA(window), 18);
    const HWND child = Child(window, 5);
    EXPECT_TRUE(SetDlgItemTextA(window, 5, "Label"));
    EXPECT_EQ(GetDlgItemTextA(window, 5, text, sizeof text), 5u);
    EXPECT_STREQ(text, "Label");
    EXPECT_EQ(GetDlgItemTextA(window, 6, text, sizeof text), 0u);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(winsim::FindWindowByCaption("Label"), child);
}

TEST(UserWindows, DestroySendsDestroyDownwardAndNcDestroyUpward)
{
    const HWND parent = TopLevel("Parent");
    const HWND child = Child(parent, 1);
    const HWND grandchild = Child(child, 2);
    const HWND owned = TopLevel("Owned", WS_POPUP, parent);
    SetTimer(child, 9, 100, nullptr);
    SetFocus(grandchild);
    Log().clear();
    EXPECT_TRUE(DestroyWindow(parent));
    std::vector<std::pair<HWND, UINT>> order;
    for (const auto& entry : Log()) {
        if (entry.message == WM_DESTROY || entry.message == WM_NCDESTROY) {
            order.emplace_back(entry.window, entry.message);
        }
    }
    const std::vector<std::pair<HWND, UINT>> expected{
        {owned, WM_DESTROY},      {owned, WM_NCDESTROY},      {parent, WM_DESTROY},  {child, WM_DESTROY},
        {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY},
    };
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(winsim::LiveWindows(), 0);
    EXPECT_EQ(winsim::LiveTimers(), 0);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST(UserWindows, WmCloseDestroysAndHelpGoesToTheParent)
{
    const HWND parent = TopLevel("Parent");
    const HWND child = Child(parent, 3);
    HELPINFO info{};
    info.cbSize = sizeof info;
    SendMessageA(child, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageA(child, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(child), MAKELPARAM(5, 6));
    EXPECT_EQ(user_test::CountOf(parent, WM_HELP), 1);
    EXPECT_EQ(user_test::CountOf(parent, WM_CONTEXTMENU), 1);
    SendMessageA(parent, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(parent));
}
