#include "page/page_routing.h"

#include "page/page_layout.h"
#include "page/page_state.h"
#include "platform/module_path.h"
#include "preview/preview.h"
#include "screenarea/apply.h"
#include "screenarea/slider_sync.h"

namespace {

const DWORD kHelpIdTable[] = {
    1213, kScreenAreaHelpContext, 1214, kScreenAreaHelpContext,
    1215, kScreenAreaHelpContext, 1216, kScreenAreaHelpContext,
    1217, kScreenAreaHelpContext, 100,  kScreenAreaHelpContext,
    101,  kScreenAreaHelpContext, 0,    0,
};

LRESULT PassToPage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(GetPrevPageProc(), window, message, wParam, lParam);
}

LRESULT OnNotify(HWND window, WPARAM wParam, LPARAM lParam)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    // Page activation, reset and control notifications belong to the page itself.
    if (header == nullptr || header->code != static_cast<UINT>(PSN_APPLY)) {
        return PassToPage(window, WM_NOTIFY, wParam, lParam);
    }
    BeginApply();
    LRESULT verdict = PassToPage(window, WM_NOTIFY, wParam, lParam);
    if (verdict != PSNRET_NOERROR) {
        RevertScreenArea();
    } else if (IsApplyPending()) {
        ApplyScreenArea(0);
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
    int x = LOWORD(lParam);
    int y = HIWORD(lParam);
    if (ShowContextHelp(reinterpret_cast<HWND>(wParam), HELP_CONTEXTMENU, x, y)) {
        return 0;
    }
    return PassToPage(window, WM_CONTEXTMENU, wParam, lParam);
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = PassToPage(window, WM_COMMAND, wParam, lParam);
    int32_t id = LOWORD(wParam);
    if (id == GetRangeCommandId()) {
        SetScreenRange();
        SyncScreenToDesktop();
        ShowScreenAreaControls();
    } else if (id == GetDepthComboId() && HIWORD(wParam) == CBN_SELCHANGE) {
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
            HWND desktopSlider = GetDlgItem(window, GetDesktopSliderId());
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

const DWORD* GetHelpIdTable()
{
    return kHelpIdTable;
}

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
        ApplyScreenArea(1);
        RefreshPreview();
    }
    return result;
}

bool ShowContextHelp(HWND window, UINT command, int x, int y)
{
    RECT area = {0, 0, 0, 0};
    if (!GetWindowRect(GetDlgItem(GetSettingsPage(), GetHelpAreaId()), &area)) {
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
    WinHelpA(window, path, command, reinterpret_cast<ULONG_PTR>(kHelpIdTable));
    return true;
}
