// The panel's sheet on Windows: the system's PropertySheetA with the Settings page from the
// panel's own dialog template. The page's procedure is the shared one; a thin wrapper and a
// subclass of the sheet record what the sheet and the page told each other.
#include "deskhost/property_sheet.h"
#include "windows_panel.h"

namespace deskhost {
namespace {

struct SheetState {
    HWND sheet = nullptr;
    HWND page = nullptr;
    WNDPROC previousSheetProc = nullptr;
    SheetActivity activity;
};

SheetState& State()
{
    static auto* state = new SheetState;
    return *state;
}

LRESULT CALLBACK ObservedSheetProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam)
{
    SheetState& state = State();
    if (message == PSM_CHANGED) {
        ++state.activity.changed;
    } else if (message == PSM_UNCHANGED) {
        ++state.activity.unchanged;
    }
    return CallWindowProcA(state.previousSheetProc, sheet, message, wParam, lParam);
}

int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM /*lParam*/)
{
    SheetState& state = State();
    if (message == PSCB_INITIALIZED && sheet != nullptr) {
        state.sheet = sheet;
        state.previousSheetProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ObservedSheetProc)));
    }
    return 0;
}

void RecordNotification(HWND page, const NMHDR* header)
{
    SheetState& state = State();
    state.activity.notifications.push_back(header->code);
    if (header->code == PSN_APPLY) {
        if (GetWindowLongPtrA(page, DWLP_MSGRESULT) != PSNRET_NOERROR) {
            ++state.activity.applyRefusals;
        } else if (reinterpret_cast<const PSHNOTIFY*>(header)->lParam != 0) {
            state.activity.closedByOk = true;
        }
    } else if (header->code == PSN_RESET) {
        state.activity.closedByOk = false;
    }
}

INT_PTR CALLBACK ObservedPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        State().page = page;
    }
    const INT_PTR result = SettingsPageProc(page, message, wParam, lParam);
    if (message == WM_NOTIFY && lParam != 0) {
        RecordNotification(page, reinterpret_cast<const NMHDR*>(lParam));
    } else if (message == WM_DESTROY) {
        State().page = nullptr;
    }
    return result;
}

INT_PTR CreateSheet(HINSTANCE resources, PageLayout layout, const std::vector<HPROPSHEETPAGE>& extra,
                    bool modeless, HWND owner)
{
    SheetState& state = State();
    state = SheetState{};
    PROPSHEETPAGEA settings{};
    settings.dwSize = sizeof settings;
    settings.dwFlags = PSP_DEFAULT;
    settings.hInstance = resources;
    settings.pszTemplate = SettingsPageTemplate(layout);
    settings.pfnDlgProc = ObservedPageProc;
    std::vector<HPROPSHEETPAGE> pages{CreatePropertySheetPageA(&settings)};
    if (pages.front() == nullptr) {
        return -1;
    }
    pages.insert(pages.end(), extra.begin(), extra.end());

    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_USECALLBACK | (modeless ? PSH_MODELESS : 0);
    header.hwndParent = owner;
    header.hInstance = resources;
    header.pszCaption = "Display Properties";
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    header.pfnCallback = SheetCallback;
    return PropertySheetA(&header);
}

void EndSheet(HWND sheet)
{
    SheetState& state = State();
    state.activity.closed = true;
    DestroyWindow(sheet);
    state.sheet = nullptr;
}

}  // namespace

HWND OpenModelessDisplaySheet(HINSTANCE resources, PageLayout layout,
                              const std::vector<HPROPSHEETPAGE>& pages, HWND owner)
{
    InitCommonControls();
    const INT_PTR sheet = CreateSheet(resources, layout, pages, true, owner);
    if (sheet == 0 || sheet == -1) {
        return nullptr;
    }
    State().sheet = reinterpret_cast<HWND>(sheet);
    return State().sheet;
}

bool RunModalDisplaySheet(HINSTANCE resources, PageLayout layout, const std::vector<HPROPSHEETPAGE>& pages)
{
    InitCommonControls();
    const INT_PTR result = CreateSheet(resources, layout, pages, false, nullptr);
    State().activity.closed = true;
    State().sheet = nullptr;
    return result != -1;
}

bool PumpDisplaySheetMessage(MSG& message)
{
    const HWND sheet = State().sheet;
    if (sheet == nullptr || !IsWindow(sheet)) {
        return false;
    }
    const bool taken = PropSheet_IsDialogMessage(sheet, &message) != FALSE;
    // A modeless sheet that the user has closed has no current page any more.
    if (PropSheet_GetCurrentPageHwnd(sheet) == nullptr) {
        EndSheet(sheet);
    }
    return taken;
}

HWND DisplaySheetWindow()
{
    return State().sheet;
}

HWND OpenDisplaySheet(HINSTANCE resources, PageLayout layout, HWND owner)
{
    return OpenModelessDisplaySheet(resources, layout, {}, owner);
}

bool RunDisplaySheet(HINSTANCE resources, PageLayout layout)
{
    return RunModalDisplaySheet(resources, layout, {});
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
