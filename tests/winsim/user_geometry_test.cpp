// Geometry: frames and client areas, coordinate mapping, moving children with their parent,
// showing and enabling.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include "user_test_support.h"

using user_test::Child;
using user_test::CountOf;
using user_test::TopLevel;

TEST(UserGeometry, TheClientAreaIsTheWindowLessItsFrame)
{
    const HWND captioned = TopLevel("Caption", WS_POPUP | WS_CAPTION);  // 100,100 300 x 200
    RECT rect{};
    GetClientRect(captioned, &rect);
    EXPECT_EQ(rect.right, 300 - 2 * 3);
    EXPECT_EQ(rect.bottom, 200 - 2 * 3 - 18);
    const HWND bordered = TopLevel("Border", WS_POPUP | WS_BORDER);
    GetClientRect(bordered, &rect);
    EXPECT_EQ(rect.right, 298);
    const HWND sizing = TopLevel("Sizing", WS_POPUP | WS_CAPTION | WS_THICKFRAME);
    GetClientRect(sizing, &rect);
    EXPECT_EQ(rect.right, 300 - 2 * 4);

    RECT adjusted{0, 0, 100, 50};
    AdjustWindowRectEx(&adjusted, WS_POPUP | WS_CAPTION, FALSE, WS_EX_DLGMODALFRAME);
    EXPECT_EQ(adjusted.left, -3);
    EXPECT_EQ(adjusted.top, -21);
    GetWindowRect(GetDesktopWindow(), &rect);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    GetClientRect(GetDesktopWindow(), &rect);
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
}

TEST(UserGeometry, MapWindowPointsMovesPointsAndAnswersTheOffset)
{
    const HWND parent = TopLevel("Parent", WS_POPUP | WS_VISIBLE);  // no frame: client at 100,100
    const HWND child = Child(parent, 1);                            // at 10,20 in the parent
    POINT points[2] = {{0, 0}, {5, 5}};
    const int offset = MapWindowPoints(child, nullptr, points, 2);
    EXPECT_EQ(points[0].x, 110);
    EXPECT_EQ(points[1].y, 125);
    EXPECT_EQ(LOWORD(offset), 110);
    EXPECT_EQ(HIWORD(offset), 120);
    const int back = MapWindowPoints(nullptr, child, points, 1);
    EXPECT_EQ(static_cast<SHORT>(LOWORD(back)), -110);
    EXPECT_EQ(points[0].x, 0);
    POINT point{1, 2};
    ClientToScreen(child, &point);
    EXPECT_EQ(point.x, 111);
    ScreenToClient(parent, &point);
    EXPECT_EQ(point.y, 22);
}

TEST(UserGeometry, ChildrenMoveWithTheirParent)
{
    const HWND parent = TopLevel("Parent", WS_POPUP | WS_VISIBLE);
    const HWND child = Child(parent, 1);
    user_test::Log().clear();
    EXPECT_TRUE(SetWindowPos(parent, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    RECT rect{};
    GetWindowRect(child, &rect);
    EXPECT_EQ(rect.left, 50);
    EXPECT_EQ(rect.top, 70);
    EXPECT_EQ(CountOf(parent, WM_WINDOWPOSCHANGED), 1);
    EXPECT_EQ(CountOf(parent, WM_MOVE), 1);
    EXPECT_EQ(CountOf(parent, WM_SIZE), 0);
    EXPECT_TRUE(MoveWindow(child, 0, 0, 70, 80, TRUE));
    GetWindowRect(child, &rect);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.right, 110);
    EXPECT_EQ(CountOf(child, WM_SIZE), 1);
    // Nothing changes: no WM_WINDOWPOSCHANGED.
    SetWindowPos(child, nullptr, 0, 0, 70, 80, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(CountOf(child, WM_WINDOWPOSCHANGED), 1);
}

TEST(UserGeometry, VisibilityAndEnablingReportTheirPreviousState)
{
    const HWND parent = TopLevel("Parent", WS_POPUP);
    const HWND child = Child(parent, 1);
    EXPECT_FALSE(IsWindowVisible(child));  // the parent is hidden
    EXPECT_FALSE(ShowWindow(parent, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_TRUE(ShowWindow(parent, SW_SHOW));
    EXPECT_EQ(CountOf(parent, WM_SHOWWINDOW), 1);  // only a change is announced
    SetFocus(child);
    EXPECT_TRUE(ShowWindow(child, SW_HIDE));
    EXPECT_EQ(GetFocus(), parent);  // the focus leaves a hidden child for its parent
    EXPECT_FALSE(EnableWindow(child, FALSE));
    EXPECT_TRUE(EnableWindow(child, FALSE));
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_EQ(CountOf(child, WM_ENABLE), 1);

    RECT rect{};
    EXPECT_TRUE(SetRect(&rect, 0, 0, 10, 10));
    EXPECT_TRUE(PtInRect(&rect, POINT{0, 9}));
    EXPECT_FALSE(PtInRect(&rect, POINT{10, 0}));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
    EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), RGB(0, 128, 128));
}
