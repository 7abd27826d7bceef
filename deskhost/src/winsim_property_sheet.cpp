// The property sheet of the panel where the system's own is not at hand: a dialog with OK,
// Cancel and Apply that creates the page as its child and notifies it as the system's sheet
// does (activation, deactivation before apply, apply, reset on cancel).
#include "deskhost/property_sheet.h"

#include "deskhost/deskhost_ids.h"

#include <winsim/control.h>

namespace deskhost {
namespace {

// The notification block the system's sheet sends: the header and the apply's "closing" flag.
struct SheetNotify {
    NMHDR hdr;
    LPARAM lParam;
};

struct SheetState {
    HINSTANCE resources = nullptr;
    PageLayout layout = PageLayout::Cloned;
    HWND sheet = nullptr;
    HWND page = nullptr;
    SheetActivity activity;
};

SheetState& State()
{
    static auto* state = new SheetState;
    return *state;
}

LRESULT Notify(HWND sheet, UINT code, LPARAM lParam = 0)
{
    SheetState& state = State();
    if (state.page == nullptr) {
        return 0;
    }
    state.activity.notifications.push_back(code);
    SheetNotify notify{{sheet, 0, code}, lParam};
    return SendMessageA(state.page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

// Deactivation may keep the page; a refused apply keeps the sheet open and Apply enabled.
bool ApplyPage(HWND sheet, bool closing)
{
    if (Notify(sheet, PSN_KILLACTIVE) != 0) {
        return false;
    }
    if (Notify(sheet, PSN_APPLY, closing ? 1 : 0) != PSNRET_NOERROR) {
        ++State().activity.applyRefusals;
        return false;
    }
    if (!closing) {
        Notify(sheet, PSN_SETACTIVE);
    }
    return true;
}

void CloseSheet(HWND sheet, bool byOk)
{
    SheetState& state = State();
    state.activity.closed = true;
    state.activity.closedByOk = byOk;
    DestroyWindow(sheet);
}

bool CreatePage(HWND sheet)
{
    SheetState& state = State();
    state.page =
        CreateDialogParamA(state.resources, SettingsPageTemplate(state.layout), sheet, SettingsPageProc, 0);
    if (state.page == nullptr) {
        return false;
    }
    RECT place{5, 5, 0, 0};
    MapDialogRect(sheet, &place);
    SetWindowPos(state.page, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(state.page, SW_SHOW);
    Notify(sheet, PSN_SETACTIVE);
    return true;
}

void OnCommand(HWND sheet, int id)
{
    switch (id) {
        case IDOK:
            if (ApplyPage(sheet, true)) {
                CloseSheet(sheet, true);
            }
            break;
        case IDCANCEL:
            Notify(sheet, PSN_RESET);
            CloseSheet(sheet, false);
            break;
        case IDC_SHEET_APPLY:
            if (ApplyPage(sheet, false)) {
                SetFocus(GetDlgItem(sheet, IDOK));
                EnableWindow(GetDlgItem(sheet, IDC_SHEET_APPLY), FALSE);
            }
            break;
        default:
            break;
    }
}

INT_PTR CALLBACK SheetProc(HWND sheet, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    SheetState& state = State();
    switch (message) {
        case WM_INITDIALOG:
            state.sheet = sheet;
            if (!CreatePage(sheet)) {
                DestroyWindow(sheet);
            }
            return TRUE;
        case WM_COMMAND:
            OnCommand(sheet, LOWORD(wParam));
            return TRUE;
        case PSM_CHANGED:
            ++state.activity.changed;
            EnableWindow(GetDlgItem(sheet, IDC_SHEET_APPLY), TRUE);
            return TRUE;
        case PSM_UNCHANGED:
            ++state.activity.unchanged;
            EnableWindow(GetDlgItem(sheet, IDC_SHEET_APPLY), FALSE);
            return TRUE;
        case WM_DESTROY:
            state.sheet = nullptr;
            state.page = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

HWND OpenDisplaySheet(HINSTANCE resources, PageLayout layout, HWND owner)
{
    SheetState& state = State();
    state.resources = resources;
    state.layout = layout;
    state.activity = SheetActivity{};
    const HWND sheet =
        CreateDialogParamA(resources, MAKEINTRESOURCEA(IDD_DISPLAY_SHEET), owner, SheetProc, 0);
    if (sheet == nullptr || !IsWindow(sheet)) {
        return nullptr;
    }
    ShowWindow(sheet, SW_SHOWNORMAL);
    UpdateWindow(sheet);
    return sheet;
}

bool RunDisplaySheet(HINSTANCE resources, PageLayout layout)
{
    if (OpenDisplaySheet(resources, layout) == nullptr) {
        return false;
    }
    winsim::RunUntil([] { return State().activity.closed; });
    return true;
}

HWND DisplaySheetPage()
{
    return State().page;
}

const SheetActivity& DisplaySheetActivity()
{
    return State().activity;
}

}  // namespace deskhost
