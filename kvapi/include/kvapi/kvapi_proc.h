// The exports of KVAPI32.DLL.
#pragma once

#include "platform/platform.h"

// The driver's single entry: operation, block size, block, and two words that are always 0.
extern "C" DWORD WINAPI KVAPIProc(DWORD operation, DWORD size, LPVOID block, DWORD reserved1,
                                  DWORD reserved2);

// For tests and the probe only: copies the request log as text (one call a line) into
// `buffer`, always terminated, and returns the length of the whole text.
extern "C" DWORD WINAPI KVAPIGetLog(LPSTR buffer, DWORD size);

// For the stand-in control panel only: puts the display mode of that size and depth into force
// as the panel's own apply does, at `rate`, or when `rate` is 0 at the rate in force if the
// driver offers the mode at it. FALSE when the driver has no such mode.
extern "C" BOOL WINAPI KVAPISetMode(DWORD width, DWORD height, DWORD depth, DWORD rate);

// For tests only: copies the adapter's whole state in the configuration text's form (mode and
// screen area in force, persisted values, ...) into `buffer`, always terminated, and returns
// the length of the whole text.
extern "C" DWORD WINAPI KVAPIGetConfig(LPSTR buffer, DWORD size);
