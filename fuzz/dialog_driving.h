// Dialogs made from untrusted templates, as the component's confirmation dialog is made from
// the resource library's: created, checked and destroyed again, leaving no window behind.
#pragma once

#include <winsim/win32.h>

#include <cstddef>

namespace fuzz {

// Creates the dialog from `size` bytes of template (none when the template is refused) and
// destroys it.
void CreateAndDestroyDialog(HINSTANCE instance, const void* bytes, std::size_t size);

}  // namespace fuzz
