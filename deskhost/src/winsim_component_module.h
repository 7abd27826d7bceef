// The display extension as a module of the simulated system: its exports and entry point,
// linked into this program, registered under a Windows path.
#pragma once

#include "platform/platform.h"

#include <string_view>

namespace deskhost {

// Registers the module at `path` (for example "C:\\WINDOWS\\SYSTEM\\KVSETTNG.DLL") with the
// exports DllGetClassObject and DllCanUnloadNow and the entry DllMain; LoadLibraryA of that
// path then runs its start-up.
HMODULE RegisterDisplayExtensionModule(std::string_view path);

}  // namespace deskhost
