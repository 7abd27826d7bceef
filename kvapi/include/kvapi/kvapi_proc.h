// The exports of KVAPI32.DLL.
#pragma once

#include "platform/platform.h"

// The driver's single entry: operation, block size, block, and two words that are always 0.
extern "C" DWORD WINAPI KVAPIProc(DWORD operation, DWORD size, LPVOID block, DWORD reserved1,
                                  DWORD reserved2);

// For tests and the probe only: copies the request log as text (one call a line) into
// `buffer`, always terminated, and returns the length of the whole text.
extern "C" DWORD WINAPI KVAPIGetLog(LPSTR buffer, DWORD size);
