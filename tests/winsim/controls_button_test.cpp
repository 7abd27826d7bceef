// The button: the click notification, the style bits a group box shows through
// GetWindowLongA, what each type asks of the dialog manager, checks, and fonts.
#include <gtest/gtest.h>
#include <winsim/control.h>
#include <winsim/win32.h>

#include <vector>

#include "controls_fixture.h"

namespace {

constexpr int kButtonId = 200;

class ButtonTest : public ControlTest {
protected:
    HWND Button(DWORD style, const char* text = "Apply") { return Child("Button", style, kButtonId, text); }

    static LRESULT Send(HWND button, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(button, message, wParam, lParam);
    }

    static Notification Clicked(HWND button)
    {
        return Notification{WM_COMMAND, MAKEWPARAM(kButtonId, BN_CLICKED), reinterpret_cast<LPARAM>(button)};
    }
};

TEST_F(ButtonTest, ClickNotifiesTheParentOnce)
{
    HWND button = Button(BS_PUSHBUTTON);
    ASSERT_NE(button, nullptr);
    Send(button, BM_CLICK);
    EXPECT_EQ(TakeNotifications(), std::vector<Notification>{Clicked(button)});
    EXPECT_EQ(Send(button, BM_GETSTATE) & BST_PUSHED, 0);
    EXPECT_EQ(GetFocus(), button);
}

TEST_F(ButtonTest, GroupBoxStyleIsReadableAndDecidesTheProbe)
{
    HWND group = Button(BS_GROUPBOX, "Screen area");
    HWND push = Button(BS_PUSHBUTTON);
    EXPECT_EQ(GetWindowLongA(group, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
    EXPECT_NE(GetWindowLongA(group, GWL_STYLE) & 7, 0);
    EXPECT_EQ(GetWindowLongA(push, GWL_STYLE) & 7, 0);
    EXPECT_NE(GetWindowLongA(group, GWL_STYLE) & WS_CHILD, 0);
}

TEST_F(ButtonTest, EachTypeAsksTheDialogManagerForItsOwnHandling)
{
    EXPECT_EQ(Send(Button(BS_PUSHBUTTON), WM_GETDLGCODE), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    EXPECT_EQ(Send(Button(BS_DEFPUSHBUTTON), WM_GETDLGCODE), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(Send(Button(BS_AUTORADIOBUTTON), WM_GETDLGCODE), DLGC_BUTTON | DLGC_RADIOBUTTON);
    EXPECT_EQ(Send(Button(BS_AUTOCHECKBOX), WM_GETDLGCODE), DLGC_BUTTON);
    EXPECT_EQ(Send(Button(BS_GROUPBOX), WM_GETDLGCODE), DLGC_STATIC);
}

TEST_F(ButtonTest, SetStyleChangesOnlyTheTypeAndTheDefaultFollows)
{
    HWND button = Button(BS_PUSHBUTTON | WS_TABSTOP);
    Send(button, BM_SETSTYLE, BS_DEFPUSHBUTTON | WS_DISABLED, TRUE);
    const LONG style = GetWindowLongA(button, GWL_STYLE);
    EXPECT_EQ(style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_NE(style & WS_TABSTOP, 0);
    EXPECT_EQ(style & WS_DISABLED, 0);
    EXPECT_EQ(Send(button, WM_GETDLGCODE), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    Send(button, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
    EXPECT_EQ(Send(button, WM_GETDLGCODE), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
}

TEST_F(ButtonTest, ChecksAreHeldToWhatTheTypeTakesAndAutomaticBoxesToggle)
{
    HWND push = Button(BS_PUSHBUTTON);
    Send(push, BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(Send(push, BM_GETCHECK), BST_UNCHECKED);

    HWND box = Button(BS_AUTOCHECKBOX);
    Send(box, BM_SETCHECK, BST_INDETERMINATE);
    EXPECT_EQ(Send(box, BM_GETCHECK), BST_CHECKED);
    Send(box, BM_CLICK);
    EXPECT_EQ(Send(box, BM_GETCHECK), BST_UNCHECKED);
    Send(box, BM_CLICK);
    EXPECT_EQ(Send(box, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(TakeNotifications().size(), 2u);
}

TEST_F(ButtonTest, FontRoundTripsThroughGetObjectAndAnotherControl)
{
    HWND model = Button(BS_GROUPBOX);
    HWND clone = Button(BS_GROUPBOX);
    Send(model, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);

    HGDIOBJ modelFont = reinterpret_cast<HGDIOBJ>(Send(model, WM_GETFONT));
    LOGFONTA logFont{};
    ASSERT_EQ(GetObjectA(modelFont, 60, &logFont), 60);
    logFont.lfWeight = FW_LIGHT;
    HFONT light = CreateFontIndirectA(&logFont);
    Send(clone, WM_SETFONT, reinterpret_cast<WPARAM>(light), FALSE);

    LOGFONTA read{};
    ASSERT_EQ(GetObjectA(reinterpret_cast<HGDIOBJ>(Send(clone, WM_GETFONT)), sizeof(read), &read), 60);
    EXPECT_EQ(read.lfWeight, FW_LIGHT);
    EXPECT_STREQ(read.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(Send(model, WM_GETFONT), reinterpret_cast<LRESULT>(modelFont));
    DestroyWindow(clone);
    EXPECT_TRUE(DeleteObject(light));
}

}  // namespace
