// The combo box: the list and its selection, which CB_SETCURSEL changes silently and the
// user's choice changes with CBN_SELCHANGE; the selection field's text; the font and the
// fixed height it gives the box.
#include <gtest/gtest.h>
#include <winsim/control.h>
#include <winsim/win32.h>

#include <string>
#include <vector>

#include "controls_fixture.h"

namespace {

constexpr int kComboId = 1200;

class ComboBoxTest : public ControlTest {
protected:
    HWND Combo(DWORD style = CBS_DROPDOWNLIST, int height = 100)
    {
        return Child("ComboBox", style, kComboId, "", 120, height);
    }

    static LRESULT Send(HWND combo, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(combo, message, wParam, lParam);
    }

    static LRESULT Add(HWND combo, const char* text) { return Send(combo, CB_ADDSTRING, 0, Text(text)); }
    static LPARAM Text(const char* text) { return reinterpret_cast<LPARAM>(text); }

    static std::string ItemText(HWND combo, int index)
    {
        const LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
        if (length == CB_ERR) {
            return "<CB_ERR>";
        }
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        EXPECT_EQ(
            Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data())),
            length);
        text.resize(static_cast<std::size_t>(length));
        return text;
    }

    static std::vector<std::string> Items(HWND combo)
    {
        std::vector<std::string> items;
        for (int i = 0; i < Send(combo, CB_GETCOUNT); ++i) {
            items.push_back(ItemText(combo, i));
        }
        return items;
    }

    static Notification SelChange(HWND combo)
    {
        return Notification{WM_COMMAND, MAKEWPARAM(kComboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo)};
    }

    static int ClientHeight(HWND window)
    {
        RECT client{};
        GetClientRect(window, &client);
        return client.bottom - client.top;
    }
};

using Strings = std::vector<std::string>;

TEST_F(ComboBoxTest, AddInsertAndDeleteKeepTheListAndTheSelectionInStep)
{
    HWND combo = Combo();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(Add(combo, "8 bit"), 0);
    EXPECT_EQ(Add(combo, "16 bit"), 1);
    EXPECT_EQ(Send(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), Text("32 bit")), 2);
    EXPECT_EQ(Send(combo, CB_INSERTSTRING, 0, Text("4 bit")), 0);
    EXPECT_EQ(Send(combo, CB_INSERTSTRING, 9, Text("none")), CB_ERR);
    EXPECT_EQ(Items(combo), (Strings{"4 bit", "8 bit", "16 bit", "32 bit"}));

    Send(combo, CB_SETCURSEL, 2);
    Send(combo, CB_INSERTSTRING, 1, Text("6 bit"));
    EXPECT_EQ(Send(combo, CB_GETCURSEL), 3);  // the selected item moved down
    EXPECT_EQ(Send(combo, CB_DELETESTRING, 0), 4);
    EXPECT_EQ(Send(combo, CB_GETCURSEL), 2);
    EXPECT_EQ(Send(combo, CB_DELETESTRING, 2), 3);
    EXPECT_EQ(Send(combo, CB_GETCURSEL), CB_ERR);  // the selected item went
    EXPECT_EQ(Send(combo, CB_DELETESTRING, 3), CB_ERR);
    EXPECT_EQ(Items(combo), (Strings{"6 bit", "8 bit", "32 bit"}));
    EXPECT_EQ(ItemText(combo, 3), "<CB_ERR>");

    EXPECT_EQ(Send(combo, CB_RESETCONTENT), CB_OKAY);
    EXPECT_EQ(Send(combo, CB_GETCOUNT), 0);
    EXPECT_TRUE(TakeNotifications().empty());
}

TEST_F(ComboBoxTest, SortedBoxAddsInOrderIgnoringCase)
{
    HWND combo = Combo(CBS_DROPDOWNLIST | CBS_SORT);
    Add(combo, "beta");
    Add(combo, "Gamma");
    EXPECT_EQ(Add(combo, "ALPHA"), 0);
    EXPECT_EQ(Add(combo, "delta"), 2);
    EXPECT_EQ(Items(combo), (Strings{"ALPHA", "beta", "delta", "Gamma"}));
}

TEST_F(ComboBoxTest, SetCurSelAnswersTheIndexOrCbErrAndNeverNotifies)
{
    HWND combo = Combo();
    Add(combo, "a");
    Add(combo, "b");
    EXPECT_EQ(Send(combo, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(Send(combo, CB_SETCURSEL, 1), 1);
    EXPECT_EQ(Send(combo, CB_GETCURSEL), 1);
    EXPECT_EQ(Send(combo, CB_SETCURSEL, 2), CB_ERR);
    EXPECT_EQ(Send(combo, CB_GETCURSEL), CB_ERR);
    Send(combo, CB_SETCURSEL, 0);
    EXPECT_EQ(Send(combo, CB_SETCURSEL, static_cast<WPARAM>(-1)), CB_ERR);
    EXPECT_EQ(Send(combo, CB_GETCURSEL), CB_ERR);
    EXPECT_TRUE(TakeNotifications().empty());
}

TEST_F(ComboBoxTest, UsersChoiceNotifiesOnceWithTheNewSelectionInPlace)
{
    HWND combo = Combo();
    Add(combo, "256 colours");
    Add(combo, "High colour");
    Send(combo, CB_SETCURSEL, 0);
    LRESULT selectionSeen = -2;
    OnNotification() = [&](const Notification&) { selectionSeen = Send(combo, CB_GETCURSEL); };

    EXPECT_TRUE(winsim::SelectComboItem(combo, 1));
    EXPECT_EQ(TakeNotifications(), std::vector<Notification>{SelChange(combo)});
    EXPECT_EQ(selectionSeen, 1);

    EXPECT_TRUE(winsim::SelectComboItem(combo, 1));  // the same item again: no change
    EXPECT_FALSE(winsim::SelectComboItem(combo, 2));
    EXPECT_FALSE(winsim::SelectComboItem(combo, -1));
    EXPECT_FALSE(winsim::SelectComboItem(parent_, 0));
    EXPECT_TRUE(TakeNotifications().empty());
    EXPECT_EQ(Send(combo, CB_GETCURSEL), 1);
}

TEST_F(ComboBoxTest, ArrowKeysOnTheClosedBoxAreAUsersChoice)
{
    HWND combo = Combo();
    Add(combo, "a");
    Add(combo, "b");
    Send(combo, WM_KEYDOWN, VK_DOWN);
    Send(combo, WM_KEYDOWN, VK_DOWN);
    Send(combo, WM_KEYDOWN, VK_DOWN);  // already at the last item
    EXPECT_EQ(Send(combo, CB_GETCURSEL), 1);
    EXPECT_EQ(TakeNotifications(), (std::vector<Notification>{SelChange(combo), SelChange(combo)}));
}

TEST_F(ComboBoxTest, DisabledBoxTakesNoChoice)
{
    HWND combo = Combo(CBS_DROPDOWNLIST | WS_DISABLED);
    Add(combo, "a");
    EXPECT_FALSE(winsim::SelectComboItem(combo, 0));
    EXPECT_EQ(Send(combo, CB_GETCURSEL), CB_ERR);
    EXPECT_TRUE(TakeNotifications().empty());
}

TEST_F(ComboBoxTest, ItemDataStaysWithItsItem)
{
    HWND combo = Combo();
    Add(combo, "a");
    Add(combo, "b");
    EXPECT_EQ(Send(combo, CB_SETITEMDATA, 1, 16), TRUE);
    EXPECT_EQ(Send(combo, CB_SETITEMDATA, 5, 16), CB_ERR);
    Send(combo, CB_INSERTSTRING, 0, Text("c"));
    EXPECT_EQ(Send(combo, CB_GETITEMDATA, 2), 16);
    EXPECT_EQ(Send(combo, CB_GETITEMDATA, 0), 0);
    EXPECT_EQ(Send(combo, CB_GETITEMDATA, 3), CB_ERR);
}

TEST_F(ComboBoxTest, WindowTextIsTheSelectedItemOfADropDownList)
{
    HWND list = Combo();
    Add(list, "High colour (16 bit)");
    char text[8] = {};
    EXPECT_EQ(GetWindowTextA(list, text, sizeof(text)), 0);
    Send(list, CB_SETCURSEL, 0);
    EXPECT_EQ(Send(list, WM_GETTEXTLENGTH), 20);
    EXPECT_EQ(Send(list, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text)), 7);
    EXPECT_STREQ(text, "High co");
    EXPECT_EQ(Send(list, WM_SETTEXT, 0, Text("x")), CB_ERR);

    HWND editable = Combo(CBS_DROPDOWN);
    Add(editable, "640 by 480");
    EXPECT_EQ(Send(editable, WM_SETTEXT, 0, Text("typed")), TRUE);
    EXPECT_EQ(Send(editable, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_STREQ(text, "typed");
    Send(editable, CB_SETCURSEL, 0);
    Send(editable, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "640 by ");
}

TEST_F(ComboBoxTest, FontRoundTripsAndSetsTheFieldHeight)
{
    HWND combo = Combo(CBS_DROPDOWNLIST, 200);
    EXPECT_EQ(Send(combo, WM_GETFONT), 0);
    EXPECT_EQ(ClientHeight(combo), 24);  // the system font's 16 pixels and the field's 8

    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    Send(combo, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    EXPECT_EQ(Send(combo, WM_GETFONT), reinterpret_cast<LRESULT>(font));
    EXPECT_EQ(ClientHeight(combo), 21);

    SetWindowPos(combo, nullptr, 0, 0, 150, 300, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(ClientHeight(combo), 21);

    HWND simple = Combo(CBS_SIMPLE, 200);
    EXPECT_EQ(ClientHeight(simple), 200);
}

}  // namespace
