// Finding the control panel's Settings page and the sheet that holds it, and taking their
// window procedures over; undone at process detach.
#pragma once

#include "platform/platform.h"

// Watches this thread's dialogs for the Settings page until it is captured.
void InstallPageHook(HINSTANCE instance);
LRESULT CALLBACK PageHookProc(int code, WPARAM wParam, LPARAM lParam);
void RemovePageHook();
// The two subclassings of a capture: the page, and the top-level window above `window`.
void SubclassPage(HWND window);
void SubclassTopLevel(HWND window);
// Undoes the capture and what the page's initialisation made, at detach.
void ReleasePageIntegration();

#ifdef KVSETTNG_TEST_ACCESSORS
// For tests; not built into KVSETTNG.DLL.
bool IsPageHookInstalled();
#endif
