// What the module offers the system: the entry point that the loader calls, and the two
// exports through which the shell loads it as a property-sheet extension of the display
// settings (kvsettng.def names them for the Windows build).
#pragma once

#include "platform/platform.h"

// The extension's class identifier; the registration files name the same value:
// {71DFC44E-99D6-4227-BF5F-B92D687429BD}.
extern const CLSID kExtensionClassId;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, void** object);
extern "C" HRESULT WINAPI DllCanUnloadNow();
