// Capturing the Settings page through the message hook, undoing it at detach, and the page
// procedure's routing of notifications, help and context menus, on plain windows.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <string>
#include <vector>

#include "library/resource_library.h"
#include "page/page_capture.h"
#include "page/page_routing.h"
#include "preview/preview.h"
#include "records/page_records.h"
#include "support/component.h"

namespace {

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> gSeen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    gSeen.push_back({window, message, wParam, lParam});
    return 77;
}

WNDPROC ProcOf(HWND window)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

class PageIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        system_.Copy(KV_RLB_PATH, "KVSettng.RLB");
        instance_ = testsupport::LoadComponentModule();
        ASSERT_NE(instance_, nullptr);
        ASSERT_TRUE(LoadResourceLibrary(instance_, "KVSettng.RLB", 2, 2));
        InstallPageHook(instance_);
        ASSERT_TRUE(IsPageHookInstalled());
    }

    HWND Window(const char* caption, HWND parent = nullptr, DWORD style = WS_POPUP, int id = 0, RECT r = {})
    {
        return CreateWindowExA(0, "Static", caption, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    }

    static LRESULT Hook(HWND target, UINT message = WM_INITDIALOG, int code = HC_ACTION)
    {
        CWPSTRUCT call = {0, 0, message, target};
        return PageHookProc(code, 0, reinterpret_cast<LPARAM>(&call));
    }

    testsupport::Sandbox system_{testsupport::kSystemDirectory};
    HINSTANCE instance_ = nullptr;
};

TEST_F(PageIntegrationTest, OnlyAnInitDialogWithHookCodeZeroRecordsAnything)
{
    const HWND sheet = Window("Display Properties");
    const HWND page = Window("Settings", sheet, WS_CHILD);
    Hook(page, WM_INITDIALOG, 1);
    Hook(page, WM_CREATE);
    Hook(nullptr);
    EXPECT_EQ(GetPropertySheet(), nullptr);
    EXPECT_EQ(GetSettingsPage(), nullptr);
    EXPECT_TRUE(IsPageHookInstalled());
}

TEST_F(PageIntegrationTest, APageWhoseParentHasNoCaptionIsNotCaptured)
{
    const HWND untitled = Window("");
    Hook(Window("Settings", untitled, WS_CHILD));
    EXPECT_EQ(GetPropertySheet(), nullptr);
    EXPECT_EQ(GetSettingsPage(), nullptr);
    EXPECT_TRUE(IsPageHookInstalled());

    const HWND sheet = Window("Display Properties");
    const HWND page = Window("Settings", sheet, WS_CHILD);
    Hook(page);
    EXPECT_EQ(GetPropertySheet(), sheet);
    EXPECT_EQ(GetSettingsPage(), page);
}

TEST_F(PageIntegrationTest, OneMessageCanRecordTheSheetAndCaptureThePage)
{
    const HWND sheet = Window("Display Properties");
    const HWND page = Window("Settings", sheet, WS_CHILD);
    const WNDPROC pageProc = ProcOf(page);
    const WNDPROC sheetProc = ProcOf(sheet);
    Hook(page);
    EXPECT_EQ(GetPropertySheet(), sheet);
    EXPECT_EQ(GetSettingsPage(), page);
    EXPECT_EQ(ProcOf(page), &PageProc);
    EXPECT_EQ(GetPrevPageProc(), pageProc);
    EXPECT_EQ(GetTopLevelWindow(), sheet);
    EXPECT_EQ(ProcOf(sheet), &TopLevelProc);
    EXPECT_EQ(GetPrevTopLevelProc(), sheetProc);
    EXPECT_FALSE(IsPageHookInstalled());
    EXPECT_EQ(winsim::LiveHooks(), 0);
}

TEST_F(PageIntegrationTest, OnlyTheExactCaptionMatches)
{
    const HWND sheet = Window("Display Properties");
    for (const char* caption : {"settings", "SETTINGS", "Settings ", " Settings", "&Settings", "Se&ttings",
                                "Setting", "Settings2"}) {
        Hook(Window(caption, sheet, WS_CHILD));
        EXPECT_EQ(GetSettingsPage(), nullptr) << caption;
    }
    EXPECT_TRUE(IsPageHookInstalled());
}

TEST_F(PageIntegrationTest, ACaptionIsComparedByItsFirst127Characters)
{
    const HWND sheet = Window("Display Properties");
    const std::string longCaption = "Settings" + std::string(200, ' ');
    Hook(Window(longCaption.c_str(), sheet, WS_CHILD));
    EXPECT_EQ(GetSettingsPage(), nullptr);
}

TEST_F(PageIntegrationTest, TheSheetIsThePagesParentWhateverDialogsCameBefore)
{
    // The sheet is a dialog owned by a host window with a caption, and other dialogs with
    // captioned parents open before the page.
    const HWND host = Window("Control Panel");
    const HWND sheet = Window("Display Properties", host);
    const HWND other = Window("Other sheet");
    Hook(sheet);
    Hook(Window("Background", other, WS_CHILD));
    const WNDPROC sheetProc = ProcOf(sheet);
    const HWND page = Window("Settings", sheet, WS_CHILD);
    Hook(page);
    EXPECT_EQ(GetSettingsPage(), page);
    EXPECT_EQ(GetPropertySheet(), sheet);
    EXPECT_EQ(GetTopLevelWindow(), host) << "the walk goes up from the sheet to its owner";
    EXPECT_EQ(ProcOf(host), &TopLevelProc);
    EXPECT_EQ(ProcOf(sheet), sheetProc);
    EXPECT_NE(ProcOf(other), &TopLevelProc);

    // The hook is gone: a second Settings page is not taken over.
    const HWND second = Window("Settings", sheet, WS_CHILD);
    SendMessageA(second, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(GetSettingsPage(), page);
    EXPECT_NE(ProcOf(second), &PageProc);
}

TEST_F(PageIntegrationTest, DetachBeforeThePageIsLaidOutRestoresTheSheetAndThePageOnly)
{
    const HWND sheet = Window("Display Properties");
    const HWND page = Window("Settings", sheet, WS_CHILD);
    const WNDPROC pageProc = ProcOf(page);
    const WNDPROC sheetProc = ProcOf(sheet);
    Hook(page);
    ReleasePageIntegration();
    EXPECT_EQ(ProcOf(page), pageProc);
    EXPECT_EQ(ProcOf(sheet), sheetProc);
    EXPECT_EQ(GetPreviewControl(), nullptr);
    EXPECT_EQ(GetSettingsPage(), page) << "the records stay";
}

TEST_F(PageIntegrationTest, DetachRestoresTheTopLevelWindowBeforeThePage)
{
    // One window subclassed first as the page, then as the top-level window: only the
    // reverse order gives it its own procedure back.
    const HWND page = Window("Settings");
    const WNDPROC own = ProcOf(page);
    RemovePageHook();
    SubclassPage(page);
    SubclassTopLevel(page);
    ASSERT_EQ(GetTopLevelWindow(), page);
    EXPECT_EQ(GetPrevTopLevelProc(), &PageProc);
    ReleasePageIntegration();
    EXPECT_EQ(ProcOf(page), own);
}

TEST_F(PageIntegrationTest, DetachGivesProceduresBackOnlyToWindowsThatStillRunTheComponents)
{
    // As on Windows 9x, a destroyed window's handle goes to the next window made.
    winsim::ReuseWindowHandles(true);
    const HWND sheet = Window("Display Properties");
    const HWND page = Window("Settings", sheet, WS_CHILD);
    const HWND preview = Window("", page, WS_CHILD, 1205);
    Hook(page);
    SubclassPreview(preview);

    // The sheet is subclassed after the component; the page and its preview are destroyed and
    // their handles given to windows of another module.
    SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc));
    ASSERT_TRUE(DestroyWindow(page));
    const auto button = [&] {
        return CreateWindowExA(0, "Button", "Foreign", WS_CHILD, 0, 0, 10, 10, sheet, nullptr, nullptr,
                               nullptr);
    };
    const HWND foreign[] = {button(), button()};
    ASSERT_EQ(foreign[0], page);
    ASSERT_EQ(foreign[1], preview);
    const WNDPROC foreignProc = ProcOf(foreign[0]);

    ReleasePageIntegration();
    EXPECT_EQ(ProcOf(sheet), &RecordingProc);
    EXPECT_EQ(ProcOf(foreign[0]), foreignProc);
    EXPECT_EQ(ProcOf(foreign[1]), foreignProc);
}

TEST_F(PageIntegrationTest, DetachWithoutACaptureRemovesTheHookOnly)
{
    ReleasePageIntegration();
    EXPECT_FALSE(IsPageHookInstalled());
    EXPECT_EQ(winsim::LiveHooks(), 0);
}

// ---- routing ----

class PageRoutingTest : public PageIntegrationTest {
protected:
    void SetUp() override
    {
        PageIntegrationTest::SetUp();
        sheet_ = Window("Display Properties", nullptr, WS_POPUP | WS_VISIBLE, 0, {0, 0, 400, 400});
        page_ = Window("Settings", sheet_, WS_CHILD | WS_VISIBLE, 0, {0, 0, 400, 400});
        helpArea_ = Window("Screen area", page_, WS_CHILD | WS_VISIBLE, 1213, {100, 100, 200, 150});
        screenSlider_ = Window("", page_, WS_CHILD | WS_VISIBLE, 100, {110, 110, 190, 130});
        RemovePageHook();
        SetSettingsPage(page_);
        SetScreenSlider(screenSlider_);
        SetPrevPageProc(RecordingProc);
        SetHelpModule(instance_);
        gSeen.clear();
    }

    LRESULT Help(int contextType, int x, int y)
    {
        HELPINFO info = {};
        info.cbSize = sizeof info;
        info.iContextType = contextType;
        info.hItemHandle = helpArea_;
        info.MousePos = {x, y};
        return PageProc(page_, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    }

    HWND sheet_ = nullptr;
    HWND page_ = nullptr;
    HWND helpArea_ = nullptr;
    HWND screenSlider_ = nullptr;
};

TEST_F(PageRoutingTest, NotificationsOtherThanApplyReachThePage)
{
    for (UINT code : {static_cast<UINT>(PSN_SETACTIVE), static_cast<UINT>(PSN_KILLACTIVE),
                      static_cast<UINT>(PSN_RESET), static_cast<UINT>(-2) /* NM_CLICK */}) {
        NMHDR header = {sheet_, 0, code};
        EXPECT_EQ(PageProc(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), 77);
    }
    EXPECT_EQ(gSeen.size(), 4u);
}

TEST_F(PageRoutingTest, F1InsideTheHelpAreaShowsTheModulesHelpAndStops)
{
    EXPECT_EQ(Help(HELPINFO_WINDOW, 100, 100), 0);
    EXPECT_TRUE(gSeen.empty());
    ASSERT_EQ(winsim::WinHelpCalls().size(), 1u);
    const winsim::WinHelpRecord& call = winsim::WinHelpCalls()[0];
    EXPECT_EQ(call.path, "C:\\WINDOWS\\SYSTEM\\VAZIDAVO.HLP");
    EXPECT_EQ(call.command, static_cast<UINT>(HELP_WM_HELP));
    EXPECT_EQ(call.window, helpArea_);
    const std::vector<std::pair<DWORD, DWORD>> table = {{1213, 150}, {1214, 150}, {1215, 150}, {1216, 150},
                                                        {1217, 150}, {100, 150},  {101, 150}};
    EXPECT_EQ(call.helpIds, table);
}

TEST_F(PageRoutingTest, F1OutsideTheHelpAreaOrForAMenuGoesToThePage)
{
    EXPECT_EQ(Help(HELPINFO_WINDOW, 200, 120), 77) << "the right edge is outside";
    EXPECT_EQ(Help(HELPINFO_WINDOW, 150, 150), 77) << "the bottom edge is outside";
    EXPECT_EQ(Help(HELPINFO_MENUITEM, 150, 120), 77);
    EXPECT_EQ(gSeen.size(), 3u);
    EXPECT_TRUE(winsim::WinHelpCalls().empty());
}

TEST_F(PageRoutingTest, ContextMenusInsideShowHelpAndFromTheKeyboardGoToThePage)
{
    EXPECT_EQ(PageProc(page_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(helpArea_), MAKELPARAM(199, 149)), 0);
    ASSERT_EQ(winsim::WinHelpCalls().size(), 1u);
    EXPECT_EQ(winsim::WinHelpCalls()[0].command, static_cast<UINT>(HELP_CONTEXTMENU));
    EXPECT_EQ(winsim::WinHelpCalls()[0].window, helpArea_);
    EXPECT_TRUE(gSeen.empty());
    // Over the row's background the page itself is named, which has no topic.
    EXPECT_EQ(PageProc(page_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page_), MAKELPARAM(100, 100)), 0);
    ASSERT_EQ(winsim::WinHelpCalls().size(), 2u);
    EXPECT_EQ(winsim::WinHelpCalls()[1].window, screenSlider_);

    EXPECT_EQ(PageProc(page_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(helpArea_), -1), 77);
    EXPECT_EQ(PageProc(page_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page_), MAKELPARAM(99, 120)), 77);
    EXPECT_EQ(gSeen.size(), 2u);
    EXPECT_EQ(winsim::WinHelpCalls().size(), 2u);
}

TEST_F(PageRoutingTest, ContextMenusReadNegativeScreenCoordinatesAndTheKeyboardsGoesToThePage)
{
    // The help area on a monitor left of and above the first, around (-1, -1).
    RECT area = {};
    GetWindowRect(helpArea_, &area);
    RECT sheet = {};
    GetWindowRect(sheet_, &sheet);
    SetWindowPos(sheet_, nullptr, sheet.left - 50 - area.left, sheet.top - 20 - area.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(GetWindowRect(helpArea_, &area));
    ASSERT_EQ(area.left, -50);
    ASSERT_EQ(area.top, -20);

    const struct {
        LPARAM where;
        bool help;
    } cases[] = {
        {MAKELPARAM(-50, -20), true},  {MAKELPARAM(49, 29), true},  {MAKELPARAM(-51, -20), false},
        {MAKELPARAM(-50, -21), false}, {MAKELPARAM(-1, -1), false}, {-1, false},
    };
    for (const auto& c : cases) {
        const std::size_t before = winsim::WinHelpCalls().size();
        const LRESULT result = PageProc(page_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page_), c.where);
        EXPECT_EQ(result, c.help ? 0 : 77) << std::hex << c.where;
        EXPECT_EQ(winsim::WinHelpCalls().size(), before + (c.help ? 1 : 0)) << std::hex << c.where;
    }
}

TEST_F(PageRoutingTest, WithoutAHelpAreaF1AndContextMenusGoToThePage)
{
    ASSERT_EQ(Help(HELPINFO_WINDOW, 150, 120), 0);
    ASSERT_EQ(winsim::WinHelpCalls().size(), 1u);

    // The same point once the page has no help area any more.
    ASSERT_TRUE(DestroyWindow(helpArea_));
    ASSERT_EQ(GetDlgItem(page_, 1213), nullptr);
    EXPECT_EQ(Help(HELPINFO_WINDOW, 150, 120), 77);
    EXPECT_EQ(PageProc(page_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page_), MAKELPARAM(150, 120)), 77);
    EXPECT_EQ(gSeen.size(), 2u);
    EXPECT_EQ(winsim::WinHelpCalls().size(), 1u);
}

TEST_F(PageRoutingTest, TopLevelProcWithoutAPreviousProcedureAnswersZero)
{
    EXPECT_EQ(TopLevelProc(sheet_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")), 0);
    SetPrevTopLevelProc(RecordingProc);
    EXPECT_EQ(TopLevelProc(sheet_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")), 77);
    EXPECT_EQ(gSeen.size(), 1u);
}

}  // namespace
