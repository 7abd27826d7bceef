// Fault injection shared by the winsim services that can be made to fail.
#pragma once

#include <winsim/control.h>

namespace winsim::detail {

// Whether this call of the operation is to fail; consumes one of the failures asked for.
bool ConsumeFault(Fault fault);

// Every function that can fail calls this first, before anything it calls itself: a call
// that the component made (component_calls.h marks it) gets the next number, and the answer
// is whether it is the numbered call that is to fail.
bool FailableCall(const char* function);

}  // namespace winsim::detail
