// The version of Windows that the system reports.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <cstring>

namespace {

winsim::Version& Current()
{
    static auto* version = new winsim::Version;
    return *version;
}

// Windows 95, 98 and Me report major and minor version in the high word of the build number
// (Windows 98: 0x040A07CE); the NT family reports the build number alone.
DWORD ReportedBuildNumber(const winsim::Version& version)
{
    if (version.platformId != VER_PLATFORM_WIN32_WINDOWS) {
        return version.build;
    }
    return ((version.major & 0xFF) << 24) | ((version.minor & 0xFF) << 16) | (version.build & 0xFFFF);
}

constexpr BYTE kNtWorkstation = 1;

}  // namespace

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info)
{
    if (info == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const DWORD size = info->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const winsim::Version& version = Current();
    info->dwMajorVersion = version.major;
    info->dwMinorVersion = version.minor;
    info->dwBuildNumber = ReportedBuildNumber(version);
    info->dwPlatformId = version.platformId;
    std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
    std::copy_n(version.csdVersion.data(),
                std::min(version.csdVersion.size(), sizeof(info->szCSDVersion) - 1), info->szCSDVersion);
    if (size == sizeof(OSVERSIONINFOEXA)) {
        auto* extended = reinterpret_cast<OSVERSIONINFOEXA*>(info);
        extended->wServicePackMajor = 0;
        extended->wServicePackMinor = 0;
        extended->wSuiteMask = 0;
        extended->wProductType = version.platformId == VER_PLATFORM_WIN32_NT ? kNtWorkstation : 0;
        extended->wReserved = 0;
    }
    return TRUE;
}

namespace winsim {

void SetVersion(const Version& version)
{
    Current() = version;
}

}  // namespace winsim
