// Puts the stand-in driver into winsim: the module KVAPI32.DLL in a given directory, and
// the display model following the adapter's mode and screen area, as real hardware would.
#pragma once

#include "kvapi/adapter.h"
#include "platform/platform.h"

#include <string_view>

namespace kvapi {

// Registers `directory`\KVAPI32.DLL (exports KVAPIProc, KVAPIGetLog and KVAPISetMode) and sets winsim's
// display from the adapter; from then on every change of the adapter's mode or screen area
// reaches winsim's display model.
HMODULE InstallInWinsim(std::string_view directory, AdapterConfig config = DefaultConfig());

}  // namespace kvapi
