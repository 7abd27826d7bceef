#include "lifecycle/module_entry.h"

#include "driver/driver_link.h"
#include "driver/mode_tables.h"

bool IsNtPlatform()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool StartModule(HINSTANCE instance)
{
    if (IsNtPlatform()) {
        return false;
    }
    if (OpenDriverLink(instance) != DriverOk) {
        return false;
    }
    return CheckLargestDesktopViewports();
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) {
        return StartModule(instance) ? TRUE : FALSE;
    }
    return TRUE;
}
