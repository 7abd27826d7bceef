// The static control: its text, its styles, and which statics keep a font.
#include <gtest/gtest.h>
#include <winsim/control.h>
#include <winsim/win32.h>

#include "controls_fixture.h"

namespace {

constexpr int kLabelId = 1207;

class StaticTest : public ControlTest {
protected:
    HWND Label(DWORD style, const char* text = "1024 by 768 pixels")
    {
        return Child("Static", style, kLabelId, text);
    }
};

TEST_F(StaticTest, TextAndStylesAreKept)
{
    HWND label = Label(SS_CENTER | SS_NOTIFY);
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(SetDlgItemTextA(parent_, kLabelId, "800 by 600 pixels"));
    char text[32] = {};
    EXPECT_EQ(GetWindowTextA(label, text, sizeof(text)), 17);
    EXPECT_STREQ(text, "800 by 600 pixels");
    EXPECT_EQ(GetWindowLongA(label, GWL_STYLE) & (SS_TYPEMASK | SS_NOTIFY), SS_CENTER | SS_NOTIFY);
    EXPECT_EQ(SendMessageA(label, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

TEST_F(StaticTest, SunkenStaticCarriesTheStaticEdge)
{
    EXPECT_NE(GetWindowLongA(Label(SS_SUNKEN), GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
    EXPECT_EQ(GetWindowLongA(Label(SS_LEFT), GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
}

TEST_F(StaticTest, OnlyATextStaticKeepsAFont)
{
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    HWND text = Label(SS_LEFT);
    EXPECT_EQ(SendMessageA(text, WM_GETFONT, 0, 0), 0);
    SendMessageA(text, WM_SETFONT, font, TRUE);
    EXPECT_EQ(static_cast<WPARAM>(SendMessageA(text, WM_GETFONT, 0, 0)), font);

    HWND picture = Label(SS_BITMAP, "");
    SendMessageA(picture, WM_SETFONT, font, FALSE);
    EXPECT_EQ(SendMessageA(picture, WM_GETFONT, 0, 0), 0);
}

}  // namespace
