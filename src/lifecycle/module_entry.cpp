#include "lifecycle/module_entry.h"

#include "driver/driver_link.h"
#include "driver/mode_tables.h"
#include "lifecycle/resource_library.h"
#include "page/page_capture.h"
#include "page/page_state.h"

namespace {

const char kResourceLibraryName[] = "KVSettng.RLB";
const uint32_t kRequiredLibraryVersion = 2;
const uint32_t kClientVersion = 2;

}  // namespace

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
    if (!CheckLargestDesktopViewports()) {
        return false;
    }
    if (!LoadResourceLibrary(instance, kResourceLibraryName, kRequiredLibraryVersion, kClientVersion)) {
        return false;
    }
    SetHelpModule(instance);
    InstallPageHook(instance);
    return true;
}

void StopModule()
{
    ReleasePageIntegration();
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) {
        return StartModule(instance) ? TRUE : FALSE;
    }
    if (reason == DLL_PROCESS_DETACH) {
        StopModule();
    }
    return TRUE;
}
