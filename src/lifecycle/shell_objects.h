// The two objects through which the shell loads the module as a property-sheet extension of
// the display settings; the exports that hand them out are in kvsettng/exports.h.
#pragma once

#include "platform/platform.h"

#ifdef KVSETTNG_TEST_ACCESSORS
// For tests; not built into KVSETTNG.DLL. Class objects and extension objects that exist now.
LONG GetLiveObjectCount();
#endif
