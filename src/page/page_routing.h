// The procedures that stand in front of the Settings page's and the sheet's own: the sheet's
// Apply, the sliders, the colour depth, display changes and context help for the screen area.
#pragma once

#include "platform/platform.h"

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TopLevelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#ifdef KVSETTNG_TEST_ACCESSORS
// For tests; not built into KVSETTNG.DLL. The (control id, help context) pairs that WinHelpA
// receives, ending with (0, 0).
const DWORD* GetHelpIdTable();
#endif
