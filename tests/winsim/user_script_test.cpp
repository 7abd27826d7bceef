// The user's script: message boxes answered, help asked for, the journal, and the stop when
// a loop would wait with nothing left to do.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include "user_test_support.h"

using user_test::TopLevel;

namespace {

HELPINFO g_help{};
int g_helpCount = 0;

LRESULT CALLBACK HelpParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HELP) {
        g_help = *reinterpret_cast<const HELPINFO*>(lParam);
        ++g_helpCount;
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const DWORD kHelpIds[] = {1213, 150, 100, 150, 0, 0, 77, 77};

}  // namespace

TEST(UserScript, AMessageBoxIsAnsweredRecordedAndJournalled)
{
    const HWND owner = TopLevel("Sheet");
    winsim::ScriptAnswerMessageBox(IDOK);
    EXPECT_EQ(MessageBoxA(owner, "Changed.", "Screen Area", MB_OK | MB_ICONINFORMATION), IDOK);
    winsim::ScriptPressKey(VK_ESCAPE);  // a box with only OK answers Escape with OK
    EXPECT_EQ(MessageBoxA(owner, "Again.", nullptr, MB_OK), IDOK);
    winsim::ScriptPressKey(VK_RETURN);  // the default button of a Yes/No box is the second here
    EXPECT_EQ(MessageBoxA(owner, "Keep?", "Q", MB_YESNO | MB_DEFBUTTON2), IDNO);

    const auto& boxes = winsim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].owner, owner);
    EXPECT_EQ(boxes[1].caption, "Error");
    EXPECT_EQ(boxes[2].result, IDNO);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
    std::vector<winsim::JournalKind> kinds;
    for (const auto& entry : winsim::Journal()) {
        kinds.push_back(entry.kind);
    }
    using K = winsim::JournalKind;
    EXPECT_EQ(kinds, (std::vector<K>{K::MessageBox, K::Script, K::Answer, K::MessageBox, K::Script, K::Answer,
                                     K::MessageBox, K::Script, K::Answer}));
    EXPECT_NE(winsim::Journal()[0].text.find("caption \"Screen Area\" text \"Changed.\""), std::string::npos)
        << winsim::Journal()[0].text;
}

TEST(UserScript, ABoxThatCannotBeShownAnswersZero)
{
    EXPECT_EQ(MessageBoxA(reinterpret_cast<HWND>(0x1234), "x", "y", MB_OK), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", 0x0F), 0);
    EXPECT_EQ(winsim::MessageBoxes().size(), 2u);
}

TEST(UserScript, F1AsksTheFocusedControlsParentForHelp)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HelpParent;
    windowClass.lpszClassName = "HelpParent";
    RegisterClassA(&windowClass);
    const HWND page = CreateWindowExA(0, "HelpParent", "Page", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                      nullptr, nullptr, nullptr);
    const HWND slider = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10,
                                        100, 20, page, reinterpret_cast<HMENU>(100), nullptr, nullptr);
    ASSERT_NE(slider, nullptr);
    SetFocus(slider);
    SetCursorPos(30, 40);
    winsim::ScriptPressKey(VK_F1);
    EXPECT_TRUE(winsim::RunUntil([] { return g_helpCount > 0; }));
    EXPECT_EQ(g_help.iContextType, HELPINFO_WINDOW);
    EXPECT_EQ(g_help.iCtrlId, 100);
    EXPECT_EQ(g_help.hItemHandle, slider);
    EXPECT_EQ(g_help.MousePos.x, 30);
    EXPECT_EQ(g_help.MousePos.y, 40);
    EXPECT_FALSE(winsim::RunUntil([] { return false; }));  // the script has run out
}

TEST(UserScript, WinHelpRecordsTheTableUpToItsEnd)
{
    EXPECT_TRUE(WinHelpA(nullptr, "C:\\WINDOWS\\SYSTEM\\VAZIDAVO.HLP", HELP_WM_HELP,
                         reinterpret_cast<ULONG_PTR>(kHelpIds)));
    ASSERT_EQ(winsim::WinHelpCalls().size(), 1u);
    const auto& call = winsim::WinHelpCalls()[0];
    EXPECT_EQ(call.path, "C:\\WINDOWS\\SYSTEM\\VAZIDAVO.HLP");
    EXPECT_EQ(call.command, static_cast<UINT>(HELP_WM_HELP));
    EXPECT_EQ(call.helpIds, (std::vector<std::pair<DWORD, DWORD>>{{1213, 150}, {100, 150}}));
    EXPECT_EQ(winsim::Journal().back().kind, winsim::JournalKind::Help);
}

TEST(UserScriptDeathTest, ALoopWithNothingLeftToDoStopsAndNamesTheWindows)
{
    EXPECT_DEATH(
        {
            const HWND owner = TopLevel("Display Properties");
            MessageBoxA(owner, "Keep?", "Screen Area", MB_OKCANCEL);
        },
        "script has no more actions(.|\n)*\"Display Properties\"(.|\n)*\"Screen Area\"");
}

TEST(UserScript, ALoopWithNothingLeftToDoAsksTheIdleUserUntilItGivesUp)
{
    const HWND owner = TopLevel("Display Properties");
    int turns = 0;
    winsim::SetIdleUser([&turns] {
        if (++turns == 3) {
            winsim::ScriptPressKey(VK_ESCAPE);
        }
        return true;
    });
    EXPECT_EQ(MessageBoxA(owner, "Keep?", "Screen Area", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(turns, 3);
    winsim::SetIdleUser([] { return false; });
    EXPECT_DEATH(MessageBoxA(owner, "Keep?", "Screen Area", MB_OKCANCEL), "script has no more actions");
}

TEST(UserScriptDeathTest, AnAnswerWithAButtonTheBoxLacksStops)
{
    EXPECT_DEATH(
        {
            winsim::ScriptAnswerMessageBox(IDYES);
            MessageBoxA(nullptr, "Notice", "Screen Area", MB_OK);
        },
        "a button that it does not have");
}
