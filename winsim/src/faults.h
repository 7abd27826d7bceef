// Fault injection shared by the winsim services that can be made to fail.
#pragma once

#include <winsim/control.h>

namespace winsim::detail {

// Whether this call of the operation is to fail; consumes one of the failures asked for.
bool ConsumeFault(Fault fault);

}  // namespace winsim::detail
