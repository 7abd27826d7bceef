// What a panel is opened with when a scenario says nothing else.
#include "deskhost/harness.h"

#include <cstdlib>
#include <string_view>

namespace deskhost {

PlatformVersion DefaultPlatformVersion()
{
    const char* named = std::getenv("KV_PANEL_PLATFORM");
    return named != nullptr && std::string_view(named) == "win95" ? PlatformVersion::Windows95
                                                                  : PlatformVersion::Windows98;
}

std::string DefaultSheetOwner()
{
    const char* named = std::getenv("KV_PANEL_SHEET_OWNER");
    return named != nullptr ? named : "";
}

}  // namespace deskhost
