#include "screenarea/apply.h"

#include "driver/mode_tables.h"
#include "driver/viewport.h"
#include "library/resource_library.h"
#include "records/page_records.h"
#include "screenarea/slider_sync.h"

namespace {

// The control panel fills its colour combo box with the depths of the 640 x 480 desktop,
// after one item for a depth that the driver does not list: item i >= 1 stands for entry
// i - 1 of that list, whatever desktop size the page shows.
const uint32_t kDepthListWidth = 640;
const uint32_t kDepthListHeight = 480;
const UINT kQuestionStyle = MB_OKCANCEL | MB_ICONINFORMATION;
const UINT kNoticeStyle = MB_OK | MB_ICONINFORMATION;
const UINT kNotSetStyle = MB_OK | MB_ICONEXCLAMATION;
const int kConfirmKeep = IDYES;
const int kConfirmRestore = IDNO;
// The viewport mode sent after every new screen area.
const int kViewportModeAfterApply = 0;

// What asks for the screen area to be applied.
enum ApplyCause {
    ApplyFromSheet,
    ApplyFromDisplayChange,
};

// Where the user stands in deciding on a new screen area. Message loops run inside both
// phases, and what they dispatch must not decide for the user.
enum DecisionPhase {
    NotDeciding,
    Asking,   // the question before the test is open
    Testing,  // the new screen area is in force for the test, until confirmed or restored
};

bool gApplyPending;
DecisionPhase gPhase;
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

// The question before a test; false when the user cancels and the screen area went back. A box
// that cannot be shown is no agreement.
bool UserAgreesToTest()
{
    if (ShowResMessage(GetPropertySheet(), ResAboutToApplyText, ResBoxCaption, kQuestionStyle) != IDOK) {
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

// Whether the colour depth picked in the depth combo box differs from the screen's. When either
// cannot be read, no change can be told, and the user tests the screen area as for the depth in
// force rather than having it persisted unasked.
bool IsDepthChanged()
{
    HWND combo = PageControl(RoleDepthCombo);
    int screenDepth = CurrentDepth();
    if (combo == nullptr || screenDepth == 0) {
        return false;
    }
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
    return depths[entry] != static_cast<uint32_t>(screenDepth);
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

INT_PTR RunConfirmDialog(HWND owner)
{
    gOpenConfirmDialog = nullptr;
    INT_PTR result = DialogBoxParamA(GetResourceLibrary(), MAKEINTRESOURCEA(ResConfirmDialog), owner,
                                     ConfirmDialogProc, 0);
    // The dialog is gone, and Windows 9x soon gives its handle to another window.
    gOpenConfirmDialog = nullptr;
    return result;
}

// Answers the open confirmation dialog with a restore; false when none is open.
bool CloseConfirmDialog()
{
    if (gOpenConfirmDialog == nullptr) {
        return false;
    }
    SendMessageA(gOpenConfirmDialog, WM_COMMAND, kConfirmRestore, 0);
    gOpenConfirmDialog = nullptr;
    return true;
}

BOOL StopConfirmTimer()
{
    return KillTimer(gConfirmTimerWindow, gConfirmTimerId);
}

// The test was not confirmed: the saved screen area comes back and the user is told.
void RejectScreenArea()
{
    StopConfirmTimer();
    RevertScreenArea();
    ShowResMessage(GetPropertySheet(), ResNotConfirmedText, ResBoxCaption, kNoticeStyle);
    EndApply();
}

void CALLBACK ConfirmTimerProc(HWND /*window*/, UINT message, UINT_PTR id, DWORD /*time*/)
{
    if (message != WM_TIMER || id != gConfirmTimerId) {
        return;
    }
    if (!CloseConfirmDialog()) {
        RejectScreenArea();
    }
}

// The screen-area controls show the screen area that the driver has in force.
void ShowScreenAreaInForce()
{
    ScreenSize current = {0, 0};
    if (GetViewportSize(&current.width, &current.height)) {
        ShowScreenSize(-1, &current);
    } else {
        ShowScreenSize(-1, nullptr);
    }
}

bool FitsDesktopInForce(const ScreenSize& screen)
{
    ScreenSize desktop = {0, 0};
    uint32_t depth = 0;
    uint32_t rate = 0;
    if (!CurrentMode(&desktop.width, &desktop.height, &depth, &rate)) {
        return true;
    }
    return screen.width <= desktop.width && screen.height <= desktop.height;
}

// Puts the screen area into force. When the driver refuses it, or it would not fit in the
// desktop, the controls go back to the screen area in force and the user is told (when the
// library has the text); false then.
bool PutIntoForce(const ScreenSize& screen)
{
    if (FitsDesktopInForce(screen) && SetViewportSize(screen.width, screen.height) == DriverOk) {
        SetViewportMode(kViewportModeAfterApply);
        return true;
    }
    ShowScreenAreaInForce();
    if (LoadResString(ResNotSetText) != nullptr) {
        ShowResMessage(GetPropertySheet(), ResNotSetText, ResBoxCaption, kNotSetStyle);
    }
    return false;
}

// Puts the screen area into force for a test the user confirms or lets run out. Without the
// timer or the dialog there would be no way back, so neither counts as a confirmation.
void TestScreenArea(const ScreenSize& screen)
{
    if (StartConfirmTimer(GetSettingsPage(), kConfirmTimerId, kConfirmTimerPeriod) == 0) {
        RejectScreenArea();
        return;
    }
    if (!PutIntoForce(screen)) {
        StopConfirmTimer();
        return;
    }
    if (RunConfirmDialog(GetSettingsPage()) == kConfirmKeep) {
        StopConfirmTimer();
    } else {
        RejectScreenArea();
    }
}

void Apply(ApplyCause cause)
{
    // A display change while the question is open is none of the apply's: the answer decides.
    if (cause == ApplyFromDisplayChange && (!gApplyPending || gPhase == Asking)) {
        return;
    }
    ScreenSize screen = {0, 0};
    if (!ScreenSizeAt(SliderPosition(GetScreenSlider()), &screen.width, &screen.height)) {
        // The slider stands where the driver lists no screen size: there is nothing to apply.
        gApplyPending = false;
        return;
    }
    if (GetLayoutVariant() == LayoutCloned && IsDepthChanged()) {
        PersistOrClear(screen);
    } else if (cause == ApplyFromDisplayChange) {
        PutIntoForce(screen);
    } else {
        if (SliderPosition(GetScreenSlider()) == gSavedScreenPos) {
            return;
        }
        gPhase = Asking;
        const bool agreed = UserAgreesToTest();
        if (agreed) {
            gPhase = Testing;
            TestScreenArea(screen);
        }
        gPhase = NotDeciding;
        if (!agreed) {
            return;
        }
    }
    TellSheetUnchanged();
    gApplyPending = false;
}

}  // namespace

void BeginApply()
{
    gApplyPending = true;
}

bool IsApplyPending()
{
    return gApplyPending;
}

bool IsScreenAreaDecisionOpen()
{
    return gPhase != NotDeciding;
}

void EndApply()
{
    gApplyPending = false;
    gSavedScreenPos = SliderPosition(GetScreenSlider());
}

void InitialiseScreenArea()
{
    SetScreenRange();
    ShowScreenAreaInForce();
    gSavedScreenPos = SliderPosition(GetScreenSlider());
    UpdateSizesEqual();
}

void ApplyScreenArea()
{
    Apply(ApplyFromSheet);
}

void ApplyScreenAreaAfterDisplayChange()
{
    Apply(ApplyFromDisplayChange);
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

UINT_PTR StartConfirmTimer(HWND window, UINT_PTR id, UINT period)
{
    gConfirmTimerWindow = window;
    gConfirmTimerId = id;
    return SetTimer(window, id, period, ConfirmTimerProc);
}

#ifdef KVSETTNG_TEST_ACCESSORS
int32_t GetSavedScreenPos()
{
    return gSavedScreenPos;
}
#endif
