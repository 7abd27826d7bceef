// The records through which the module addresses the control panel's property sheet and
// Settings page: the recorded windows and their previous procedures, the two trackbars, the
// layout chosen for the page with the control identifiers it selects, and the module
// instance for help.
#pragma once

#include "kvsettng/control_ids.h"
#include "platform/platform.h"

// A 32-bit record whose values the module has always kept as 0, 2 and 3; 1 is not a layout.
// Code asks for a layout by its name, never by order or as a flag.
enum LayoutVariant : int32_t {
    LayoutUndecided = 0,
    LayoutCloned = 2,
    LayoutNative = 3,
};

// Recorded windows and procedures: null until written, never cleared.
HWND GetPropertySheet();
void SetPropertySheet(HWND window);
HWND GetSettingsPage();
void SetSettingsPage(HWND window);
HWND GetTopLevelWindow();
void SetTopLevelWindow(HWND window);
WNDPROC GetPrevTopLevelProc();
void SetPrevTopLevelProc(WNDPROC proc);
WNDPROC GetPrevPageProc();
void SetPrevPageProc(WNDPROC proc);
HINSTANCE GetHelpModule();
void SetHelpModule(HINSTANCE module);

// The two trackbars: the page's desktop-area slider and the screen-area slider.
HWND GetDesktopSlider();
void SetDesktopSlider(HWND window);
HWND GetScreenSlider();
void SetScreenSlider(HWND window);

// The layout is chosen once per load; the control identifiers follow it (kControlIds).
LayoutVariant GetLayoutVariant();
void SetLayoutVariant(LayoutVariant variant);
int32_t ControlId(ControlRole role);
// The page's control for a role, by its identifier in the layout chosen.
HWND PageControl(ControlRole role);
