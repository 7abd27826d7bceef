// The procedures that stand in front of the Settings page's and the sheet's own: the sheet's
// Apply, the sliders, the colour depth, display changes and context help for the screen area.
#pragma once

#include "platform/platform.h"

const UINT kScreenAreaHelpContext = 150;

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TopLevelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool ShowContextHelp(HWND window, UINT command, int x, int y);
// The (control id, help context) pairs for WinHelpA, ending with (0, 0).
const DWORD* GetHelpIdTable();
