// The module's entry point: start-up at process attach, shut-down at process detach.
#pragma once

#include "platform/platform.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

// Start-up in its fixed order; false at the first step that fails.
bool StartModule(HINSTANCE instance);
bool IsNtPlatform();
// Shut-down: the window-level changes are undone; driver and library stay until the end.
void StopModule();
