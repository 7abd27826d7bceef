// winsim's dialog-template reader on templates from the input (DLGTEMPLATE and DLGTEMPLATEEX
// alike), and the dialog it makes from them, as it makes the confirmation dialog from the
// resource library's template.
#include <cstdint>

#include "dialog_driving.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::CreateAndDestroyDialog(nullptr, data, size);
    return 0;
}
