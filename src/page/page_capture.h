// Finding the control panel's Settings page and the sheet that holds it, and taking their
// window procedures over; undone at process detach.
#pragma once

#include "platform/platform.h"

void InstallPageHook(HINSTANCE instance);
LRESULT CALLBACK PageHookProc(int code, WPARAM wParam, LPARAM lParam);
void RemovePageHook();
bool IsPageHookInstalled();
void SubclassPage(HWND window);
void SubclassTopLevel(HWND window);
void RestoreTopLevel();
void RestorePage();
void ReleasePageIntegration();
