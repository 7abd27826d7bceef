#include "screenarea/apply.h"

#include "driver/mode_tables.h"
#include "driver/viewport.h"
#include "lifecycle/resource_library.h"
#include "page/page_state.h"
#include "screenarea/slider_sync.h"

namespace {

const uint32_t kDepthListWidth = 640;
const uint32_t kDepthListHeight = 480;
const UINT kQuestionStyle = MB_OKCANCEL | MB_ICONINFORMATION;
const UINT kNoticeStyle = MB_OK | MB_ICONINFORMATION;
const int kConfirmKeep = IDYES;
const int kConfirmRestore = IDNO;

int32_t gApplyPending;
int32_t gSavedScreenPos;
HWND gOpenConfirmDialog;
HWND gConfirmTimerWindow;
UINT_PTR gConfirmTimerId;

int32_t SliderPosition(HWND trackbar)
{
    return static_cast<int32_t>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
}

void TellSheetUnchanged()
{
    SendMessageA(GetPropertySheet(), PSM_UNCHANGED, reinterpret_cast<WPARAM>(GetSettingsPage()), 0);
}

void PersistOrClear(const ScreenSize& screen)
{
    ScreenSize desktop = {0, 0};
    bool desktopKnown = DesktopSizeAt(SliderPosition(GetDesktopSlider()), &desktop.width, &desktop.height);
    if (desktopKnown && desktop.width == screen.width && desktop.height == screen.height) {
        ClearPersistedViewportSize();
    } else {
        PersistViewportSize(screen.width, screen.height);
    }
}

// The question before a test; false when the user cancels and the screen area went back.
bool UserAgreesToTest()
{
    if (ShowResMessage(GetPropertySheet(), ResAboutToApplyText, ResBoxCaption, kQuestionStyle) == IDCANCEL) {
        RevertScreenArea();
        return false;
    }
    return true;
}

void CentreOnOwner(HWND dialog)
{
    HWND owner = GetParent(dialog);
    RECT ownerClient = {0, 0, 0, 0};
    RECT dialogClient = {0, 0, 0, 0};
    GetClientRect(owner, &ownerClient);
    GetClientRect(dialog, &dialogClient);
    POINT corner = {(ownerClient.right - dialogClient.right) / 2,
                    (ownerClient.bottom - dialogClient.bottom) / 2};
    MapWindowPoints(owner, nullptr, &corner, 1);
    SetWindowPos(dialog, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace

void BeginApply()
{
    gApplyPending = 1;
}

bool IsApplyPending()
{
    return gApplyPending == 1;
}

void EndApply()
{
    gApplyPending = 0;
    gSavedScreenPos = SliderPosition(GetScreenSlider());
}

int32_t GetSavedScreenPos()
{
    return gSavedScreenPos;
}

void SetSavedScreenPos(int32_t position)
{
    gSavedScreenPos = position;
}

bool IsDepthChanged()
{
    HWND combo = GetDlgItem(GetSettingsPage(), GetDepthComboId());
    int32_t selection = static_cast<int32_t>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
    const uint32_t* depths = BuildDepthList(kDepthListWidth, kDepthListHeight);
    uint32_t count = 0;
    while (count < kMaxListedDepths && depths[count] != 0) {
        ++count;
    }
    // Item 0, no selection, or an item past the list: a depth the list does not offer.
    int32_t entry = selection - 1;
    if (entry < 0 || static_cast<uint32_t>(entry) >= count) {
        return true;
    }
    return depths[entry] != static_cast<uint32_t>(CurrentDepth());
}

void ApplyScreenArea(int fromDisplayChange)
{
    if (fromDisplayChange == 1 && gApplyPending == 0) {
        return;
    }
    ScreenSize screen = {0, 0};
    if (!ScreenSizeAt(SliderPosition(GetScreenSlider()), &screen.width, &screen.height)) {
        // The slider stands where the driver lists no screen size: there is nothing to apply.
        gApplyPending = 0;
        return;
    }
    if (GetLayoutVariant() == LayoutCloned && IsDepthChanged()) {
        PersistOrClear(screen);
    } else {
        if (fromDisplayChange == 0) {
            if (SliderPosition(GetScreenSlider()) == gSavedScreenPos) {
                return;
            }
            if (!UserAgreesToTest()) {
                return;
            }
            StartConfirmTimer(GetSettingsPage(), kConfirmTimerId, kConfirmTimerPeriod);
        }
        SetViewportSize(screen.width, screen.height);
        SetViewportMode(0);
        if (fromDisplayChange == 0) {
            if (RunConfirmDialog(GetSettingsPage()) == kConfirmRestore) {
                RejectScreenArea();
            } else {
                StopConfirmTimer();
            }
        }
    }
    TellSheetUnchanged();
    gApplyPending = 0;
}

void RevertScreenArea()
{
    ScreenSize saved = {0, 0};
    if (ScreenSizeAt(gSavedScreenPos, &saved.width, &saved.height)) {
        ScreenSize current = {0, 0};
        GetViewportSize(&current.width, &current.height);
        if (current.width != saved.width || current.height != saved.height) {
            SetViewportSize(saved.width, saved.height);
        }
    }
    ShowScreenSize(gSavedScreenPos, nullptr);
}

void RejectScreenArea()
{
    StopConfirmTimer();
    RevertScreenArea();
    ShowResMessage(GetPropertySheet(), ResNotConfirmedText, ResBoxCaption, kNoticeStyle);
    EndApply();
}

INT_PTR RunConfirmDialog(HWND owner)
{
    gOpenConfirmDialog = nullptr;
    return DialogBoxParamA(GetResourceLibrary(), MAKEINTRESOURCEA(ResConfirmDialog), owner, ConfirmDialogProc,
                           0);
}

int CloseConfirmDialog()
{
    if (gOpenConfirmDialog == nullptr) {
        return 0;
    }
    SendMessageA(gOpenConfirmDialog, WM_COMMAND, kConfirmRestore, 0);
    gOpenConfirmDialog = nullptr;
    return 1;
}

INT_PTR CALLBACK ConfirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    if (message == WM_INITDIALOG) {
        CentreOnOwner(dialog);
        gOpenConfirmDialog = dialog;
        SetFocus(GetDlgItem(dialog, kConfirmRestore));
    } else if (message == WM_COMMAND) {
        switch (LOWORD(wParam)) {
            case IDOK:
            case kConfirmKeep:
                EndDialog(dialog, kConfirmKeep);
                break;
            case IDCANCEL:
            case kConfirmRestore:
                EndDialog(dialog, kConfirmRestore);
                break;
            default:
                break;
        }
    }
    return FALSE;
}

UINT_PTR StartConfirmTimer(HWND window, UINT_PTR id, UINT period)
{
    gConfirmTimerWindow = window;
    gConfirmTimerId = id;
    return SetTimer(window, id, period, ConfirmTimerProc);
}

BOOL StopConfirmTimer()
{
    return KillTimer(gConfirmTimerWindow, gConfirmTimerId);
}

void CALLBACK ConfirmTimerProc(HWND /*window*/, UINT message, UINT_PTR id, DWORD /*time*/)
{
    if (message != WM_TIMER || id != gConfirmTimerId) {
        return;
    }
    if (CloseConfirmDialog() == 0) {
        RejectScreenArea();
    }
}
