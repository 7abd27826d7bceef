// The confirmation dialog from the resource library: where it opens, where the focus
// starts, what the dialog manager makes of Enter and Escape, what IDOK and IDCANCEL mean;
// a library without it; and the timer firing with no dialog open, or for another timer.
#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "screenarea_fixture.h"

namespace screenareatest {
namespace {

using Events_ = std::vector<std::string>;

POINT ClientOrigin(HWND window)
{
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

std::pair<int, int> ClientSize(HWND window)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// Native layout showing 800x600; the user picks 640x480 and applies, and agrees to the test.
class ConfirmDialogTest : public ScreenAreaTest {
protected:
    void SetUp() override
    {
        Start();
        DragScreen(0);
        ForgetEvents();
        AnswerBox(IDOK);
    }

    // Gives the sheet a client area of this size.
    void SizeSheetClient(int width, int height)
    {
        RECT window = {0, 0, 0, 0};
        GetWindowRect(sheet_, &window);
        const std::pair<int, int> client = ClientSize(sheet_);
        SetWindowPos(sheet_, nullptr, 0, 0, width + (window.right - window.left) - client.first,
                     height + (window.bottom - window.top) - client.second, SWP_NOMOVE | SWP_NOZORDER);
        ASSERT_EQ(ClientSize(sheet_).first, width);
        ASSERT_EQ(ClientSize(sheet_).second, height);
    }
};

TEST_F(ConfirmDialogTest, OpensCentredOnTheSheetWithTheFocusOnNo)
{
    SizeSheetClient(400, 300);
    InDialog([this](HWND dialog) {
        EXPECT_EQ(GetParent(dialog), sheet_) << "the page's top-level window owns the dialog";
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDNO));
        const std::pair<int, int> size = ClientSize(dialog);
        RECT placed = {0, 0, 0, 0};
        GetWindowRect(dialog, &placed);
        const POINT origin = ClientOrigin(sheet_);
        EXPECT_EQ(placed.left - origin.x, (400 - size.first) / 2) << "dialog client width " << size.first;
        EXPECT_EQ(placed.top - origin.y, (300 - size.second) / 2) << "dialog client height " << size.second;
    });
    winsim::ScriptClickControl(IDYES);

    Apply();
}

TEST_F(ConfirmDialogTest, ADialogLargerThanTheSheetGetsNegativeOffsetsHalvedTowardZero)
{
    // Dialog 103 is 196 x 62 dialog units: 294 x 101 pixels with the 8-point font's units.
    SizeSheetClient(193, 100);
    InDialog([this](HWND dialog) {
        ASSERT_EQ(ClientSize(dialog).first, 294);
        ASSERT_EQ(ClientSize(dialog).second, 101);
        RECT placed = {0, 0, 0, 0};
        GetWindowRect(dialog, &placed);
        const POINT origin = ClientOrigin(sheet_);
        EXPECT_EQ(placed.left - origin.x, -50);
        EXPECT_EQ(placed.top - origin.y, 0);
    });
    winsim::ScriptClickControl(IDYES);

    Apply();
}

struct AnswerCase {
    const char* name;
    std::function<void()> answer;
    int result;
};

void PrintTo(const AnswerCase& c, std::ostream* out)
{
    *out << c.name;
}

void SendCommand(WPARAM command)
{
    winsim::ScriptCall("send a command to the dialog",
                       [command] { SendMessageA(GetActiveWindow(), WM_COMMAND, command, 0); });
}

class ConfirmAnswerTest : public ConfirmDialogTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(ConfirmAnswerTest, EndsTheDialogAsYesOrNo)
{
    InDialog();
    GetParam().answer();
    const bool kept = GetParam().result == IDYES;
    if (!kept) {
        AnswerBox(IDOK);
    }

    Apply();

    EXPECT_EQ(Events().back(), "unchanged");
    EXPECT_EQ(Events()[Events().size() - 2], kept ? "dialog" : "notice");
    EXPECT_EQ(Viewport(), kept ? (kvapi::Size{640, 480}) : (kvapi::Size{800, 600}));
    EXPECT_EQ(GetSavedScreenPos(), kept ? 0 : 1);
    EXPECT_EQ(winsim::LiveTimers(), 0);
}

// Enter presses the focused push button, which is No; Escape is IDCANCEL, as the dialog
// has no Cancel button.
INSTANTIATE_TEST_SUITE_P(
    Answers, ConfirmAnswerTest,
    ::testing::Values(AnswerCase{"EnterOnTheFocusedNo", [] { winsim::ScriptPressKey(VK_RETURN); }, IDNO},
                      AnswerCase{"Escape", [] { winsim::ScriptPressKey(VK_ESCAPE); }, IDNO},
                      AnswerCase{"IdOkCommand", [] { SendCommand(IDOK); }, IDYES},
                      AnswerCase{"IdCancelCommand", [] { SendCommand(IDCANCEL); }, IDNO},
                      AnswerCase{"OtherCommandsAreIgnored",
                                 [] {
                                     SendCommand(IDABORT);
                                     winsim::ScriptClickControl(IDYES);
                                 },
                                 IDYES}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST_F(ScreenAreaTest, WithoutDialog103TheNewSizeIsNotConfirmedAndTheOldOneComesBack)
{
    Options options;
    options.library = KV_NODIALOG_RLB_PATH;
    Start(options);
    DragScreen(0);
    ForgetEvents();
    AnswerBox(IDOK);
    AnswerBox(IDOK);

    Apply();

    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(GetSavedScreenPos(), 1);
    EXPECT_EQ(winsim::LiveTimers(), 0);
    const Events_ events = Events();
    EXPECT_NE(std::find(events.begin(), events.end(), "notice"), events.end());

    ForgetEvents();
    winsim::AdvanceClock(10000);
    winsim::PumpMessages();
    EXPECT_EQ(Events(), (Events_{})) << "no second notice follows";
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
}

TEST_F(ScreenAreaTest, TheTimerFiringWithNoDialogOpenRejectsByItself)
{
    Start();
    DragScreen(0);
    ASSERT_EQ(SetViewportSize(640, 480), DriverOk);
    winsim::PumpMessages();
    ForgetEvents();

    StartConfirmTimer(page_, kConfirmTimerId, kConfirmTimerPeriod);
    winsim::ScriptAdvanceClock(kConfirmTimerPeriod);
    AnswerBox(IDOK);
    ASSERT_TRUE(winsim::RunUntil([] { return winsim::ScriptPending() == 0; }));

    EXPECT_EQ(Events(), Join({SetSize(800, 600), {"displaychange", "notice"}}));
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(Label(), SizeText(800, 600));
    EXPECT_EQ(GetSavedScreenPos(), 1);
    EXPECT_EQ(winsim::LiveTimers(), 0) << "the timer fires once";
}

TEST_F(ScreenAreaTest, ATimerWithAnotherIdentifierOnTheSameProcedureDoesNothing)
{
    Start();
    DragScreen(0);
    ASSERT_EQ(SetViewportSize(640, 480), DriverOk);
    winsim::PumpMessages();
    ForgetEvents();

    // Both timers run the confirmation's procedure; the one started last is the confirmation.
    StartConfirmTimer(page_, kConfirmTimerId + 1, 1000);
    StartConfirmTimer(page_, kConfirmTimerId, kConfirmTimerPeriod);
    winsim::ScriptAdvanceClock(1000);
    winsim::ScriptCall("stop the other timer", [this] {
        KillTimer(page_, kConfirmTimerId + 1);
        Note("other timer");
    });
    winsim::ScriptAdvanceClock(kConfirmTimerPeriod - 1000);
    AnswerBox(IDOK);
    ASSERT_TRUE(winsim::RunUntil([] { return winsim::ScriptPending() == 0; }));

    EXPECT_EQ(Events(), Join({{"other timer"}, SetSize(800, 600), {"displaychange", "notice"}}));
}

}  // namespace
}  // namespace screenareatest
