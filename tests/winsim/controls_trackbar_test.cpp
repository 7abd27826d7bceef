// The trackbar: range and position messages (silent, clamped), and the exact scroll
// messages its parent receives when the user drags the thumb or presses keys.
#include <gtest/gtest.h>
#include <winsim/control.h>
#include <winsim/win32.h>

#include <vector>

#include "controls_fixture.h"

namespace {

constexpr int kTrackbarId = 100;

class TrackbarTest : public ControlTest {
protected:
    HWND Trackbar(DWORD style = 0) { return Child(TRACKBAR_CLASSA, style, kTrackbarId); }

    static LRESULT Send(HWND trackbar, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(trackbar, message, wParam, lParam);
    }

    static Notification Scroll(HWND trackbar, WORD code, int position = 0, UINT message = WM_HSCROLL)
    {
        return Notification{message, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(trackbar)};
    }
};

TEST_F(TrackbarTest, SetPosClampsIntoTheRangeAndNotifiesNothing)
{
    HWND trackbar = Trackbar();
    Send(trackbar, TBM_SETRANGE, TRUE, MAKELONG(0, 4));
    Send(trackbar, TBM_SETPOS, TRUE, 7);
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 4);
    Send(trackbar, TBM_SETPOS, TRUE, -3);
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 0);
    Send(trackbar, TBM_SETPOS, FALSE, 2);
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 2);
    EXPECT_TRUE(TakeNotifications().empty());
}

TEST_F(TrackbarTest, RangeHalvesAreSigned16BitAndThePositionFollowsTheRange)
{
    HWND trackbar = Trackbar();
    Send(trackbar, TBM_SETRANGE, TRUE, MAKELONG(-1, 1000));
    EXPECT_EQ(Send(trackbar, TBM_GETRANGEMIN), -1);
    EXPECT_EQ(Send(trackbar, TBM_GETRANGEMAX), 1000);
    EXPECT_EQ(Send(trackbar, TBM_GETPAGESIZE), 200);  // a fifth of the range until set

    Send(trackbar, TBM_SETPOS, TRUE, 50);
    Send(trackbar, TBM_SETRANGE, FALSE, MAKELONG(0, 7));
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 7);
    EXPECT_EQ(Send(trackbar, TBM_GETRANGEMAX), 7);

    Send(trackbar, TBM_SETRANGEMAX, TRUE, 3);
    EXPECT_EQ(Send(trackbar, TBM_GETRANGEMAX), 3);
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 3);
    Send(trackbar, TBM_SETRANGEMIN, TRUE, -10);
    EXPECT_EQ(Send(trackbar, TBM_GETRANGEMIN), -10);
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 3);

    Send(trackbar, TBM_SETRANGE, TRUE, MAKELONG(10, 0));  // kept as given, not swapped
    EXPECT_EQ(Send(trackbar, TBM_GETRANGEMIN), 10);
    EXPECT_EQ(Send(trackbar, TBM_GETRANGEMAX), 0);
    EXPECT_TRUE(TakeNotifications().empty());
}

TEST_F(TrackbarTest, PageAndLineSizesAnswerTheirOldValues)
{
    HWND trackbar = Trackbar();
    EXPECT_EQ(Send(trackbar, TBM_SETLINESIZE, 0, 10), 1);
    EXPECT_EQ(Send(trackbar, TBM_SETLINESIZE, 0, 4), 10);
    EXPECT_EQ(Send(trackbar, TBM_GETLINESIZE), 4);

    EXPECT_EQ(Send(trackbar, TBM_SETPAGESIZE, 0, 10), 20);
    Send(trackbar, TBM_SETRANGE, TRUE, MAKELONG(0, 50));
    EXPECT_EQ(Send(trackbar, TBM_GETPAGESIZE), 10);  // a size that was set stays
    EXPECT_EQ(Send(trackbar, TBM_SETPAGESIZE, 0, -1), 10);
    EXPECT_EQ(Send(trackbar, TBM_GETPAGESIZE), 10);  // back to a fifth of 0..50
}

TEST_F(TrackbarTest, TicFrequencyCountsOnlyWithAutomaticTics)
{
    HWND automatic = Trackbar(TBS_AUTOTICKS);
    Send(automatic, TBM_SETRANGE, TRUE, MAKELONG(0, 10));
    Send(automatic, TBM_SETTICFREQ, 2);
    EXPECT_EQ(Send(automatic, TBM_GETNUMTICS), 6);
    Send(automatic, TBM_SETTICFREQ, 5);
    EXPECT_EQ(Send(automatic, TBM_GETNUMTICS), 3);
    Send(automatic, TBM_SETTICFREQ, 15);
    EXPECT_EQ(Send(automatic, TBM_GETNUMTICS), 2);

    HWND plain = Trackbar();
    Send(plain, TBM_SETRANGE, TRUE, MAKELONG(0, 10));
    Send(plain, TBM_SETTICFREQ, 2);
    EXPECT_EQ(Send(plain, TBM_GETNUMTICS), 2);
}

TEST_F(TrackbarTest, DragSendsThumbTrackPerNewPositionThenPositionAndTwoEndTracks)
{
    HWND trackbar = Trackbar();
    Send(trackbar, TBM_SETRANGE, TRUE, MAKELONG(0, 4));
    Send(trackbar, TBM_SETPOS, TRUE, 1);

    EXPECT_TRUE(winsim::DragTrackbar(trackbar, 2, false));
    EXPECT_TRUE(winsim::DragTrackbar(trackbar, 2, false));  // no move, no message
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 2);
    EXPECT_TRUE(winsim::DragTrackbar(trackbar, 9, true));  // the mouse leaves past the end

    const std::vector<Notification> expected = {
        Scroll(trackbar, TB_THUMBTRACK, 2),    Scroll(trackbar, TB_THUMBTRACK, 4),
        Scroll(trackbar, TB_THUMBPOSITION, 4), Scroll(trackbar, TB_ENDTRACK),
        Scroll(trackbar, TB_ENDTRACK),
    };
    EXPECT_EQ(TakeNotifications(), expected);
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 4);
}

TEST_F(TrackbarTest, ClickWithoutMovingStillReportsThePosition)
{
    HWND trackbar = Trackbar();
    Send(trackbar, TBM_SETPOS, TRUE, 30);
    EXPECT_TRUE(winsim::DragTrackbar(trackbar, 30));
    const std::vector<Notification> expected = {
        Scroll(trackbar, TB_THUMBPOSITION, 30),
        Scroll(trackbar, TB_ENDTRACK),
        Scroll(trackbar, TB_ENDTRACK),
    };
    EXPECT_EQ(TakeNotifications(), expected);
}

TEST_F(TrackbarTest, ThePositionIsCurrentWhenTheParentHearsOfIt)
{
    HWND trackbar = Trackbar();
    std::vector<LRESULT> seen;
    OnNotification() = [&](const Notification&) { seen.push_back(Send(trackbar, TBM_GETPOS)); };
    winsim::DragTrackbar(trackbar, 3, false);
    winsim::DragTrackbar(trackbar, 5);
    EXPECT_EQ(seen, (std::vector<LRESULT>{3, 5, 5, 5, 5}));
}

TEST_F(TrackbarTest, VerticalTrackbarSendsVScroll)
{
    HWND trackbar = Trackbar(TBS_VERT);
    winsim::DragTrackbar(trackbar, 1);
    const std::vector<Notification> received = TakeNotifications();
    ASSERT_EQ(received.size(), 4u);
    for (const Notification& n : received) {
        EXPECT_EQ(n.message, static_cast<UINT>(WM_VSCROLL));
    }
}

TEST_F(TrackbarTest, KeysStepByLineAndPageAndEndEveryTrack)
{
    HWND trackbar = Trackbar();
    Send(trackbar, TBM_SETRANGE, TRUE, MAKELONG(0, 100));
    Send(trackbar, TBM_SETPOS, TRUE, 50);

    EXPECT_TRUE(winsim::PressTrackbarKey(trackbar, VK_RIGHT));
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 51);
    winsim::PressTrackbarKey(trackbar, VK_PRIOR);
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 31);
    winsim::PressTrackbarKey(trackbar, VK_END);
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 100);
    winsim::PressTrackbarKey(trackbar, VK_DOWN);  // already at the end: nothing moves
    winsim::PressTrackbarKey(trackbar, VK_HOME);
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 0);

    const std::vector<Notification> expected = {
        Scroll(trackbar, TB_LINEDOWN), Scroll(trackbar, TB_ENDTRACK),  //
        Scroll(trackbar, TB_PAGEUP),   Scroll(trackbar, TB_ENDTRACK),  //
        Scroll(trackbar, TB_BOTTOM),   Scroll(trackbar, TB_ENDTRACK),  //
        Scroll(trackbar, TB_ENDTRACK),                                 //
        Scroll(trackbar, TB_TOP),      Scroll(trackbar, TB_ENDTRACK),
    };
    EXPECT_EQ(TakeNotifications(), expected);
    EXPECT_EQ(GetFocus(), trackbar);
}

TEST_F(TrackbarTest, InputDoesNotReachADisabledTrackbarOrAnotherWindow)
{
    HWND trackbar = Trackbar(WS_DISABLED);
    EXPECT_FALSE(winsim::DragTrackbar(trackbar, 5));
    EXPECT_FALSE(winsim::PressTrackbarKey(trackbar, VK_RIGHT));
    EXPECT_FALSE(winsim::DragTrackbar(parent_, 5));
    EXPECT_EQ(Send(trackbar, TBM_GETPOS), 0);
    EXPECT_TRUE(TakeNotifications().empty());
}

TEST_F(TrackbarTest, CloneFromClassNameStyleAndInstanceIsATrackbarOfItsOwn)
{
    // A page's trackbar carries the instance of the module whose dialog made it.
    HWND model = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | TBS_AUTOTICKS, 10, 10, 120, 30, parent_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTrackbarId)),
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(model, nullptr);
    Send(model, TBM_SETRANGE, TRUE, MAKELONG(0, 7));
    char className[256] = {};
    ASSERT_GT(GetClassNameA(model, className, sizeof(className)), 0);
    HWND clone =
        CreateWindowExA(static_cast<DWORD>(GetWindowLongA(model, GWL_EXSTYLE)), className, "",
                        static_cast<DWORD>(GetWindowLongA(model, GWL_STYLE)), 10, 50, 120, 30, parent_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(101)),
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(model, GWLP_HINSTANCE)), nullptr);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(Send(clone, TBM_GETRANGEMAX), 100);
    winsim::DragTrackbar(clone, 3);
    EXPECT_EQ(TakeNotifications().front(), Scroll(clone, TB_THUMBTRACK, 3));
    EXPECT_EQ(Send(model, TBM_GETPOS), 0);
}

// Counts the WM_PAINT messages a window's procedure receives.
int g_paints = 0;
WNDPROC g_trackbarProc = nullptr;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        ++g_paints;
    }
    return CallWindowProcA(g_trackbarProc, window, message, wParam, lParam);
}

TEST_F(TrackbarTest, RedrawFlagDecidesWhetherTheTrackbarRepaints)
{
    HWND trackbar = Trackbar();
    g_trackbarProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(trackbar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    UpdateWindow(trackbar);
    g_paints = 0;

    Send(trackbar, TBM_SETRANGE, FALSE, MAKELONG(0, 10));
    Send(trackbar, TBM_SETPOS, FALSE, 5);
    UpdateWindow(trackbar);
    EXPECT_EQ(g_paints, 0);

    Send(trackbar, TBM_SETRANGE, TRUE, MAKELONG(0, 10));
    UpdateWindow(trackbar);
    EXPECT_EQ(g_paints, 1);

    Send(trackbar, TBM_SETPOS, TRUE, 5);  // unchanged: nothing to repaint
    UpdateWindow(trackbar);
    EXPECT_EQ(g_paints, 1);
    Send(trackbar, TBM_SETPOS, TRUE, 6);
    UpdateWindow(trackbar);
    EXPECT_EQ(g_paints, 2);
}

}  // namespace
