// The component's module as the tests load it: registered in winsim under its path in the
// system directory, without exports, so that GetModuleFileNameA answers that path for it.
#pragma once

#include <winsim/control.h>

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "support/sandbox.h"

namespace testsupport {

inline constexpr std::string_view kComponentPath = "C:\\WINDOWS\\SYSTEM\\KVSETTNG.DLL";

inline HMODULE LoadComponentModule(std::string_view path = kComponentPath)
{
    winsim::RegisterModule(path, {});
    return LoadLibraryA(std::string(path).c_str());
}

}  // namespace testsupport
