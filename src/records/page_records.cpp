#include "records/page_records.h"

namespace {

LayoutVariant gLayoutVariant = LayoutUndecided;

HWND gPropertySheet;
HWND gSettingsPage;
HWND gTopLevelWindow;
WNDPROC gPrevTopLevelProc;
WNDPROC gPrevPageProc;
HINSTANCE gHelpModule;
HWND gDesktopSlider;
HWND gScreenSlider;

}  // namespace

HWND GetPropertySheet()
{
    return gPropertySheet;
}

void SetPropertySheet(HWND window)
{
    gPropertySheet = window;
}

HWND GetSettingsPage()
{
    return gSettingsPage;
}

void SetSettingsPage(HWND window)
{
    gSettingsPage = window;
}

HWND GetTopLevelWindow()
{
    return gTopLevelWindow;
}

void SetTopLevelWindow(HWND window)
{
    gTopLevelWindow = window;
}

WNDPROC GetPrevTopLevelProc()
{
    return gPrevTopLevelProc;
}

void SetPrevTopLevelProc(WNDPROC proc)
{
    gPrevTopLevelProc = proc;
}

WNDPROC GetPrevPageProc()
{
    return gPrevPageProc;
}

void SetPrevPageProc(WNDPROC proc)
{
    gPrevPageProc = proc;
}

HINSTANCE GetHelpModule()
{
    return gHelpModule;
}

void SetHelpModule(HINSTANCE module)
{
    gHelpModule = module;
}

HWND GetDesktopSlider()
{
    return gDesktopSlider;
}

void SetDesktopSlider(HWND window)
{
    gDesktopSlider = window;
}

HWND GetScreenSlider()
{
    return gScreenSlider;
}

void SetScreenSlider(HWND window)
{
    gScreenSlider = window;
}

LayoutVariant GetLayoutVariant()
{
    return gLayoutVariant;
}

void SetLayoutVariant(LayoutVariant variant)
{
    gLayoutVariant = variant;
}

int32_t ControlId(ControlRole role)
{
    const ControlIdRow& row = kControlIds[role];
    switch (gLayoutVariant) {
        case LayoutCloned:
            return row.cloned;
        case LayoutNative:
            return row.native;
        default:
            return row.atLoad;
    }
}

HWND PageControl(ControlRole role)
{
    return GetDlgItem(GetSettingsPage(), ControlId(role));
}
