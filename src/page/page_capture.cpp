#include "page/page_capture.h"

#include "library/resource_library.h"
#include "page/page_layout.h"
#include "page/page_routing.h"
#include "preview/preview.h"
#include "records/page_records.h"

namespace {

const int kCaptionBufferSize = 128;

HHOOK gHookHandle;
char gCaption[kCaptionBufferSize];

bool ReadCaption(HWND window)
{
    gCaption[0] = '\0';
    return GetWindowTextA(window, gCaption, kCaptionBufferSize) > 0;
}

bool SameText(const char* a, const char* b)
{
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

bool IsSettingsPage(HWND target)
{
    if (!ReadCaption(target)) {
        return false;
    }
    const char* title = LoadResString(ResSettingsPageTitle);
    return title != nullptr && SameText(gCaption, title);
}

// The sheet is the window that holds the page, with a caption of its own. Dialogs seen
// before the page tell nothing: the sheet is itself a dialog, and its owner (a host window
// such as the Control Panel's) may have a caption too.
HWND SheetHolding(HWND page)
{
    HWND parent = GetParent(page);
    return parent != nullptr && ReadCaption(parent) ? parent : nullptr;
}

void Capture(HWND page, HWND sheet)
{
    SetPropertySheet(sheet);
    SetSettingsPage(page);
    SubclassPage(page);
    SubclassTopLevel(sheet);
    RemovePageHook();
}

void WatchInitDialog(const CWPSTRUCT* message)
{
    if (message->message != WM_INITDIALOG || message->hwnd == nullptr || !IsWindow(message->hwnd)) {
        return;
    }
    if (GetSettingsPage() != nullptr || !IsSettingsPage(message->hwnd)) {
        return;
    }
    if (HWND sheet = SheetHolding(message->hwnd)) {
        Capture(message->hwnd, sheet);
    }
}

WNDPROC ReplaceProcedure(HWND window, WNDPROC procedure)
{
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

// Gives `window` its previous procedure back only while it is still there and still runs
// `ours`: by detach the sheet has usually been destroyed, and Windows 9x may have given its
// handle to another window since.
void RestoreProcedure(HWND window, WNDPROC ours, WNDPROC previous)
{
    if (previous != nullptr && IsWindow(window) &&
        GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(ours)) {
        ReplaceProcedure(window, previous);
    }
}

void RestoreTopLevel()
{
    RestoreProcedure(GetTopLevelWindow(), TopLevelProc, GetPrevTopLevelProc());
}

void RestorePage()
{
    RestoreProcedure(GetSettingsPage(), PageProc, GetPrevPageProc());
}

}  // namespace

void InstallPageHook(HINSTANCE instance)
{
    gHookHandle = SetWindowsHookExA(WH_CALLWNDPROC, PageHookProc, instance, GetCurrentThreadId());
}

LRESULT CALLBACK PageHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    // The hook handle is read before a capture removes the hook.
    HHOOK hook = gHookHandle;
    if (code == HC_ACTION && lParam != 0) {
        WatchInitDialog(reinterpret_cast<const CWPSTRUCT*>(lParam));
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

void RemovePageHook()
{
    if (gHookHandle != nullptr) {
        UnhookWindowsHookEx(gHookHandle);
        gHookHandle = nullptr;
    }
}

void SubclassPage(HWND window)
{
    SetSettingsPage(window);
    SetPrevPageProc(ReplaceProcedure(window, PageProc));
}

void SubclassTopLevel(HWND window)
{
    if (window == nullptr) {
        return;
    }
    HWND top = window;
    for (HWND up = GetParent(top); up != nullptr; up = GetParent(top)) {
        top = up;
    }
    SetTopLevelWindow(top);
    SetPrevTopLevelProc(ReplaceProcedure(top, TopLevelProc));
}

void ReleasePageIntegration()
{
    RemovePageHook();
    RestoreTopLevel();
    RestorePage();
    RestorePreview();
    ReleasePreviewBitmaps();
    ReleaseAddedFont();
}

#ifdef KVSETTNG_TEST_ACCESSORS
bool IsPageHookInstalled()
{
    return gHookHandle != nullptr;
}
#endif
