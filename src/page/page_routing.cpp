#include "page/page_routing.h"

#include "page/page_layout.h"
#include "platform/module_path.h"
#include "preview/preview.h"
#include "records/page_records.h"
#include "screenarea/apply.h"
#include "screenarea/slider_sync.h"

namespace {

// The controls whose context help is the screen-area topic, by their identifiers on the page
// with its own screen-area row; WinHelpA takes them as (control, context) pairs ending in
// (0, 0).
constexpr ControlRole kScreenAreaHelpRoles[] = {
    RoleHelpArea,        RoleNativeScreenSlider, RoleNativeScreenLabel, RoleScreenLessLabel,
    RoleScreenMoreLabel, RoleScreenSlider,       RoleScreenLabel,
};
const uint32_t kHelpedControls = sizeof kScreenAreaHelpRoles / sizeof kScreenAreaHelpRoles[0];

struct HelpIdTable {
    DWORD pairs[2 * kHelpedControls + 2];
};

constexpr HelpIdTable MakeHelpIdTable()
{
    HelpIdTable table = {};
    for (uint32_t i = 0; i < kHelpedControls; ++i) {
        table.pairs[2 * i] = static_cast<DWORD>(kControlIds[kScreenAreaHelpRoles[i]].native);
        table.pairs[2 * i + 1] = kScreenAreaHelpContext;
    }
    return table;
}

constexpr HelpIdTable kHelpIdTable = MakeHelpIdTable();

// Whether WinHelp finds the screen-area topic for the window: a control of the page whose
// identifier the help-id table lists.
bool HasScreenAreaTopic(HWND window)
{
    if (window == nullptr || GetParent(window) != GetSettingsPage()) {
        return false;
    }
    DWORD id = static_cast<DWORD>(GetWindowLongA(window, GWL_ID));
    for (uint32_t i = 0; i < kHelpedControls; ++i) {
        if (kHelpIdTable.pairs[2 * i] == id) {
            return true;
        }
    }
    return false;
}

// The window that WinHelp shows the topic for. A right click over a label or the row's
// background names the page itself, and F1 names the focused control wherever it is; neither
// has the topic, and the screen-area slider, which has it in both layouts, stands in for them.
HWND HelpSubject(HWND window)
{
    HWND slider = GetScreenSlider();
    return HasScreenAreaTopic(window) || slider == nullptr ? window : slider;
}

// Shows the screen-area topic when (x, y) lies in the help area; false, showing nothing,
// elsewhere.
bool ShowContextHelp(HWND window, UINT command, int x, int y)
{
    RECT area = {0, 0, 0, 0};
    if (!GetWindowRect(PageControl(RoleHelpArea), &area)) {
        return false;
    }
    POINT point = {x, y};
    if (!PtInRect(&area, point)) {
        return false;
    }
    char path[MAX_PATH];
    if (!PathBesideModule(GetHelpModule(), "VAZIDAVO.HLP", path, sizeof path)) {
        return false;
    }
    WinHelpA(HelpSubject(window), path, command, reinterpret_cast<ULONG_PTR>(kHelpIdTable.pairs));
    return true;
}

LRESULT PassToPage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(GetPrevPageProc(), window, message, wParam, lParam);
}

LRESULT OnNotify(HWND window, WPARAM wParam, LPARAM lParam)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    // Page activation, reset and control notifications belong to the page itself, and so does
    // an apply while the user decides on the last one's screen area.
    if (header == nullptr || header->code != static_cast<UINT>(PSN_APPLY) || IsScreenAreaDecisionOpen()) {
        return PassToPage(window, WM_NOTIFY, wParam, lParam);
    }
    BeginApply();
    LRESULT verdict = PassToPage(window, WM_NOTIFY, wParam, lParam);
    if (verdict != PSNRET_NOERROR) {
        RevertScreenArea();
    } else if (IsApplyPending()) {
        ApplyScreenArea();
    }
    EndApply();
    return verdict;
}

LRESULT OnHelp(HWND window, WPARAM wParam, LPARAM lParam)
{
    const HELPINFO* info = reinterpret_cast<const HELPINFO*>(lParam);
    if (info != nullptr && info->iContextType == HELPINFO_WINDOW &&
        ShowContextHelp(static_cast<HWND>(info->hItemHandle), HELP_WM_HELP, info->MousePos.x,
                        info->MousePos.y)) {
        return 0;
    }
    return PassToPage(window, WM_HELP, wParam, lParam);
}

LRESULT OnContextMenu(HWND window, WPARAM wParam, LPARAM lParam)
{
    // Signed: a monitor left of or above the first has negative screen coordinates.
    int x = static_cast<int16_t>(LOWORD(lParam));
    int y = static_cast<int16_t>(HIWORD(lParam));
    // (-1, -1) is the keyboard's context menu, which has no point on the screen.
    bool fromKeyboard = x == -1 && y == -1;
    if (!fromKeyboard && ShowContextHelp(reinterpret_cast<HWND>(wParam), HELP_CONTEXTMENU, x, y)) {
        return 0;
    }
    return PassToPage(window, WM_CONTEXTMENU, wParam, lParam);
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = PassToPage(window, WM_COMMAND, wParam, lParam);
    int32_t id = LOWORD(wParam);
    if (id == ControlId(RoleRangeCommand)) {
        SetScreenRange();
        SyncScreenToDesktop();
        ShowScreenAreaControls();
    } else if (id == ControlId(RoleDepthCombo) && HIWORD(wParam) == CBN_SELCHANGE) {
        SyncScreenToDesktop();
    }
    return result;
}

LRESULT OnHScroll(HWND window, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control != nullptr && control == GetScreenSlider()) {
        int32_t push = OnScreenSliderScroll(window, wParam, control);
        if (push > 0) {
            HWND desktopSlider = GetDlgItem(window, ControlId(RoleDesktopSlider));
            result = PassToPage(window, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, push & 0xFFFF),
                                reinterpret_cast<LPARAM>(desktopSlider));
        }
    } else {
        result = PassToPage(window, WM_HSCROLL, wParam, lParam);
        SyncScreenToDesktop();
    }
    UpdateSizesEqual();
    return result;
}

}  // namespace

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_NOTIFY:
            return OnNotify(window, wParam, lParam);
        case WM_HELP:
            return OnHelp(window, wParam, lParam);
        case WM_CONTEXTMENU:
            return OnContextMenu(window, wParam, lParam);
        case WM_COMMAND:
            return OnCommand(window, wParam, lParam);
        case WM_HSCROLL:
            return OnHScroll(window, wParam, lParam);
        case WM_INITDIALOG: {
            LRESULT result = PassToPage(window, message, wParam, lParam);
            AugmentPage();
            return result;
        }
        case WM_DEVMODECHANGE:
        case WM_DEVICECHANGE: {
            LRESULT result = PassToPage(window, message, wParam, lParam);
            ShowScreenAreaControls();
            return result;
        }
        default:
            return PassToPage(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK TopLevelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = GetPrevTopLevelProc();
    LRESULT result = previous != nullptr ? CallWindowProcA(previous, window, message, wParam, lParam) : 0;
    if (message == WM_DISPLAYCHANGE) {
        ApplyScreenAreaAfterDisplayChange();
        RefreshPreview();
    }
    return result;
}

#ifdef KVSETTNG_TEST_ACCESSORS
const DWORD* GetHelpIdTable()
{
    return kHelpIdTable.pairs;
}
#endif
