// Resource bytes for winsim's own services that read templates and pictures from a module
// (LoadBitmapA, dialogs from templates).
#pragma once

#include <winsim/win32.h>

#include <cstddef>
#include <optional>
#include <span>

namespace winsim::detail {

// The bytes of a resource of a loaded module, found, loaded and locked as FindResourceA,
// LoadResource and LockResource do (the same last errors, and Fault::LoadResource applies).
// They stay valid until the module is freed for the last time.
std::optional<std::span<const std::byte>> ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type);

}  // namespace winsim::detail
