// The runtime that KVAPI32.DLL carries itself: Windows 95 has no C runtime DLL to import.
#pragma once

namespace kvapi {

// For the unloading of the DLL: runs the destructors of the function-local statics, the last
// constructed first, and returns the DLL's heap to the system.
void ReleaseRuntime();

}  // namespace kvapi
