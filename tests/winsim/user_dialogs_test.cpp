// Dialogs: templates, DefDlgProcA's results and focus, the keyboard, modal loops with their
// owners, and timers that fire inside nested loops.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <string>
#include <vector>

#include "user_dialog_template.h"
#include "user_test_support.h"

using user_test::kButton;
using user_test::kStatic;
using user_test::TemplateWriter;
using user_test::TopLevel;

namespace {

constexpr int kYes = IDYES;
constexpr int kNo = IDNO;

struct Seen {
    std::vector<int> commands;
    HWND dialog = nullptr;
    int timerFires = 0;
    INT_PTR innerResult = 0;
    int boxAnswer = 0;
};

Seen& Dialog()
{
    static Seen seen;
    return seen;
}

// Ends with the command it receives; WM_INITDIALOG returns what lParam says and focuses No first.
INT_PTR CALLBACK CommandDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_INITDIALOG:
            Dialog().dialog = dialog;
            SetFocus(GetDlgItem(dialog, kNo));
            return lParam;
        case WM_COMMAND:
            Dialog().commands.push_back(LOWORD(wParam));
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK NotifyDialog(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_NOTIFY) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 2);  // PSNRET_INVALID_NOCHANGEPAGE
        return TRUE;
    }
    if (message == WM_USER) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 99);
        return FALSE;  // not handled: DWLP_MSGRESULT is not the answer
    }
    return FALSE;
}

TemplateWriter YesNoTemplate(DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT,
                             bool extended = false)
{
    TemplateWriter writer(style, 196, 62, extended, "Screen Area");
    writer.Item(kStatic, -1, WS_VISIBLE, "Keep it?")
        .Item(kButton, kYes, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, "&Yes", 44, 40)
        .Item(kButton, kNo, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, "&No", 102, 40);
    return writer;
}

void CALLBACK CloseDialogOnTimer(HWND window, UINT, UINT_PTR id, DWORD)
{
    ++Dialog().timerFires;
    KillTimer(window, id);
    SendMessageA(Dialog().dialog, WM_COMMAND, kNo, 0);
}

void CALLBACK CountTimer(HWND, UINT, UINT_PTR, DWORD)
{
    ++Dialog().timerFires;
}

}  // namespace

TEST(UserDialogs, ControlsComeFromTheTemplateInDialogUnits)
{
    const TemplateWriter writer = YesNoTemplate();
    const HWND dialog = CreateDialogIndirectParamA(nullptr, writer.Get(), nullptr, CommandDialog, TRUE);
    ASSERT_NE(dialog, nullptr);
    char name[16];
    GetClassNameA(dialog, name, sizeof name);
    EXPECT_STREQ(name, "#32770");
    const HWND yes = GetDlgItem(dialog, kYes);
    ASSERT_NE(yes, nullptr);
    GetClassNameA(yes, name, sizeof name);
    EXPECT_STREQ(name, "Button");
    // An 8-point font: 6 x 13 base units, so x 44 is 66 pixels and y 40 is 65.
    RECT rect{};
    GetWindowRect(yes, &rect);
    POINT corner{rect.left, rect.top};
    ScreenToClient(dialog, &corner);
    EXPECT_EQ(corner.x, 66);
    EXPECT_EQ(corner.y, 65);
    RECT units{0, 0, 4, 8};
    EXPECT_TRUE(MapDialogRect(dialog, &units));
    EXPECT_EQ(units.right, 6);
    EXPECT_EQ(units.bottom, 13);
    EXPECT_NE(SendMessageA(dialog, WM_GETFONT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(yes, WM_GETFONT, 0, 0), SendMessageA(dialog, WM_GETFONT, 0, 0));
    EXPECT_EQ(GetDialogBaseUnits(), MAKELONG(8, 16));
    EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELONG(kNo, DC_HASDEFID));
    DestroyWindow(dialog);
    EXPECT_EQ(winsim::LiveWindows(), 0);
}

TEST(UserDialogs, ExtendedTemplatesGiveTheSameDialog)
{
    const TemplateWriter writer = YesNoTemplate(WS_POPUP | WS_CAPTION | DS_SETFONT, true);
    const HWND dialog = CreateDialogIndirectParamA(nullptr, writer.Get(), nullptr, CommandDialog, TRUE);
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(GetDlgItem(dialog, kYes), nullptr);
    EXPECT_NE(GetDlgItem(dialog, kNo), nullptr);
    char caption[16];
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Screen Area");
}

TEST(UserDialogs, DamagedTemplatesAndUnknownClassesAreRefused)
{
    const std::vector<BYTE> bytes = YesNoTemplate(WS_POPUP | DS_SETFONT, true).Bytes();
    ASSERT_TRUE(winsim::detail::ParseDialogTemplate(bytes.data(), bytes.size()));
    // Every template cut short is refused, wherever the cut falls.
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<BYTE> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(winsim::detail::ParseDialogTemplate(cut.data(), cut.size())) << "size " << size;
    }
    TemplateWriter unknown(WS_POPUP);
    unknown.Item(0x90, 5, WS_VISIBLE);  // no such predefined class
    EXPECT_EQ(CreateDialogIndirectParamA(nullptr, unknown.Get(), nullptr, CommandDialog, TRUE), nullptr);
    TemplateWriter missing(WS_POPUP);
    missing.Item(0x81, 5, WS_VISIBLE);  // Edit: not a class on this system
    EXPECT_EQ(CreateDialogIndirectParamA(nullptr, missing.Get(), nullptr, CommandDialog, TRUE), nullptr);
    EXPECT_EQ(winsim::LiveWindows(), 0);
    TemplateWriter tolerant(WS_POPUP | DS_NOFAILCREATE);
    tolerant.Item(0x81, 5, WS_VISIBLE).Item(kButton, 6, WS_VISIBLE);
    const HWND dialog = CreateDialogIndirectParamA(nullptr, tolerant.Get(), nullptr, CommandDialog, TRUE);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetDlgItem(dialog, 5), nullptr);
    EXPECT_NE(GetDlgItem(dialog, 6), nullptr);
}

TEST(UserDialogs, WmNotifyAnswersDwlpMsgResultOnlyWhenHandled)
{
    const TemplateWriter writer(WS_POPUP);
    const HWND dialog = CreateDialogIndirectParamA(nullptr, writer.Get(), nullptr, NotifyDialog, 0);
    ASSERT_NE(dialog, nullptr);
    NMHDR header{dialog, 0, PSN_APPLY};
    EXPECT_EQ(SendMessageA(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), 2);
    EXPECT_EQ(SendMessageA(dialog, WM_USER, 0, 0), 0);
}

TEST(UserDialogs, InitDialogTrueFocusesTheFirstTabStopFalseKeepsTheProceduresChoice)
{
    const TemplateWriter writer = YesNoTemplate();
    const HWND chosen = CreateDialogIndirectParamA(nullptr, writer.Get(), nullptr, CommandDialog, TRUE);
    EXPECT_EQ(GetFocus(), GetDlgItem(chosen, kYes));
    DestroyWindow(chosen);
    const HWND kept = CreateDialogIndirectParamA(nullptr, writer.Get(), nullptr, CommandDialog, FALSE);
    EXPECT_EQ(GetFocus(), GetDlgItem(kept, kNo));
}

TEST(UserDialogs, AMissingTemplateGivesMinusOneAndLeavesTheOwnerAlone)
{
    const HWND owner = TopLevel("Owner");
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(103), owner, CommandDialog, 0), -1);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST(UserDialogs, EnterPressesTheFocusedDefaultAndEscapeCancels)
{
    const HWND owner = TopLevel("Owner");
    const HWND page = user_test::Child(owner, 50);
    const TemplateWriter writer = YesNoTemplate();

    winsim::ScriptCall("owner is disabled", [&] { EXPECT_FALSE(IsWindowEnabled(owner)); });
    winsim::ScriptPressKey(VK_RETURN);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, writer.Get(), page, CommandDialog, FALSE), kNo);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_FALSE(IsWindow(Dialog().dialog));

    winsim::ScriptPressKey(VK_ESCAPE);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, writer.Get(), owner, CommandDialog, FALSE), IDCANCEL);

    // Without a default button Enter sends IDOK.
    TemplateWriter plain(WS_POPUP | WS_CAPTION);
    plain.Item(kButton, kYes, WS_VISIBLE | WS_TABSTOP, "&Yes");
    winsim::ScriptPressKey(VK_RETURN);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, plain.Get(), owner, CommandDialog, TRUE), IDOK);
    EXPECT_EQ(Dialog().commands, (std::vector<int>{kNo, IDCANCEL, IDOK}));
    EXPECT_EQ(winsim::LiveWindows(), 2);
}

TEST(UserDialogs, AScriptedClickPressesTheButton)
{
    const HWND owner = TopLevel("Owner");
    winsim::ScriptClickControl(kYes);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, YesNoTemplate().Get(), owner, CommandDialog, FALSE), kYes);
}

TEST(UserDialogs, ATimerEndsTheDialogFromInsideItsLoop)
{
    const HWND page = TopLevel("Page");
    SetTimer(page, 100, 5000, CloseDialogOnTimer);
    winsim::ScriptAdvanceClock(4999);
    winsim::ScriptAdvanceClock(1);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, YesNoTemplate().Get(), page, CommandDialog, FALSE), kNo);
    EXPECT_EQ(Dialog().timerFires, 1);
    EXPECT_EQ(winsim::ScriptPending(), 0u);
}

TEST(UserDialogs, NestedLoopsDispatchTimersInTheInnermostLoop)
{
    const HWND owner = TopLevel("Sheet");
    SetTimer(owner, 1, 1000, CountTimer);
    // Inside the dialog a message box opens; the timer fires twice inside the box's loop.
    static INT_PTR (*inner)(HWND, UINT, WPARAM, LPARAM) = [](HWND dialog, UINT message, WPARAM wParam,
                                                             LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            Dialog().dialog = dialog;
            PostMessageA(dialog, WM_USER, 0, 0);
            return TRUE;
        }
        if (message == WM_USER) {
            Dialog().boxAnswer =
                MessageBoxA(dialog, "Keep?", "Screen Area", MB_OKCANCEL | MB_ICONINFORMATION);
            return TRUE;
        }
        if (message == WM_COMMAND) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    };
    winsim::ScriptAdvanceClock(1000);
    winsim::ScriptCall("inside the box", [] {
        ASSERT_EQ(winsim::MessageBoxes().size(), 1u);
        EXPECT_EQ(Dialog().timerFires, 1);
        EXPECT_FALSE(IsWindowEnabled(Dialog().dialog));
    });
    winsim::ScriptAdvanceClock(1000);
    winsim::ScriptAnswerMessageBox(IDCANCEL);
    winsim::ScriptPressKey(VK_ESCAPE);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, YesNoTemplate().Get(), owner, inner, 0), IDCANCEL);
    EXPECT_EQ(Dialog().boxAnswer, IDCANCEL);
    EXPECT_EQ(Dialog().timerFires, 2);
    const auto& boxes = winsim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Keep?");
    EXPECT_EQ(boxes[0].caption, "Screen Area");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONINFORMATION));
    EXPECT_EQ(boxes[0].result, IDCANCEL);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

namespace {

INT_PTR CALLBACK ConfirmLikeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        Dialog().dialog = dialog;
        SetFocus(GetDlgItem(dialog, kNo));
        return FALSE;
    }
    if (message == WM_COMMAND) {
        EndDialog(dialog, LOWORD(wParam) == IDOK || LOWORD(wParam) == kYes ? kYes : kNo);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

TEST(UserDialogs, TheResourceLibrarysDialogRunsFromItsTemplate)
{
    const std::string path = KV_RLB_PATH;
    winsim::MapDirectory("C:\\KV", path.substr(0, path.find_last_of('/')));
    const HMODULE library = LoadLibraryA("C:\\KV\\KVSettng.RLB");
    ASSERT_NE(library, nullptr);
    const HWND owner = TopLevel("Display Properties");
    winsim::ScriptCall("focus starts on No", [] { EXPECT_EQ(GetDlgCtrlID(GetFocus()), kNo); });
    winsim::ScriptPressKey(VK_ESCAPE);
    EXPECT_EQ(DialogBoxParamA(library, MAKEINTRESOURCEA(103), owner, ConfirmLikeDialog, 0), kNo);
    winsim::ScriptClickControl(kYes);
    EXPECT_EQ(DialogBoxParamA(library, MAKEINTRESOURCEA(103), owner, ConfirmLikeDialog, 0), kYes);
    EXPECT_EQ(DialogBoxParamA(library, MAKEINTRESOURCEA(104), owner, ConfirmLikeDialog, 0), -1);
    EXPECT_EQ(winsim::LiveWindows(), 1);
    FreeLibrary(library);
}
