#include "driver/driver_link.h"
#include "driver/mode_tables.h"
#include "driver/startup_queries.h"
#include "kvsettng/exports.h"
#include "library/resource_library.h"
#include "page/page_capture.h"
#include "records/page_records.h"

namespace {

const char kResourceLibraryName[] = "KVSettng.RLB";
const uint32_t kRequiredLibraryVersion = 2;
const uint32_t kClientVersion = 2;

bool IsNtPlatform()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Start-up in its fixed order; false at the first step that fails.
bool StartModule(HINSTANCE instance)
{
    if (IsNtPlatform()) {
        return false;
    }
    if (OpenDriverLink(instance) != DriverOk) {
        return false;
    }
    RunDriverStartupQueries();
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

// Shut-down undoes only what the module did to the windows. The driver's and the resource
// library stay loaded: freeing a library from the entry point, under the loader's lock, is
// not safe, and the end of the process releases both.
void StopModule()
{
    ReleasePageIntegration();
}

}  // namespace

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
