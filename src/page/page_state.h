// The records through which the module addresses the control panel's property sheet and
// Settings page: the recorded windows and their previous procedures, the page's control
// identifiers, the layout chosen for the page, and the module instance for help.
#pragma once

#include "platform/platform.h"

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
HWND GetPreviewControl();
void SetPreviewControl(HWND window);
WNDPROC GetPrevPreviewProc();
void SetPrevPreviewProc(WNDPROC proc);
HINSTANCE GetHelpModule();
void SetHelpModule(HINSTANCE module);

// The two trackbars: the page's desktop-area slider and the screen-area slider.
HWND GetDesktopSlider();
void SetDesktopSlider(HWND window);
HWND GetScreenSlider();
void SetScreenSlider(HWND window);

LayoutVariant GetLayoutVariant();
// Choosing the Cloned layout also moves the help area to the control that the layout creates.
void SetLayoutVariant(LayoutVariant variant);

// The page's control identifiers, one per role. Each starts at its value for the Cloned
// layout; SetControlIdsNative switches the roles that differ in the Native layout.
int32_t GetPreviewControlId();
int32_t GetProbeControlId();
int32_t GetDepthComboId();
int32_t GetRaisedControlId();
int32_t GetHelpAreaAnchorId();
int32_t GetScreenRowAnchorId();
int32_t GetBelowScreenRowId();
int32_t GetHelpAreaModelId();
int32_t GetDesktopSliderId();
int32_t GetDesktopLabelId();
int32_t GetLessLabelId();
int32_t GetMoreLabelId();
int32_t GetLoweredControlId();
int32_t GetHelpAreaId();
int32_t GetNativeScreenSliderId();
int32_t GetNativeScreenLabelId();
int32_t GetScreenLessLabelId();
int32_t GetScreenMoreLabelId();
int32_t GetScreenSliderId();
int32_t GetScreenLabelId();
int32_t GetRangeCommandId();

void SetControlIdsNative();
