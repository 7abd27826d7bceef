// Files that lie beside the module: its full file name, cut after the last backslash, with
// another file name appended.
#pragma once

#include "platform/platform.h"

// Writes the path of `fileName` beside `module` into `path` (`pathSize` bytes, terminated).
// Fails, writing an empty string, when the module's name cannot be read whole or the
// result would not fit.
bool PathBesideModule(HINSTANCE module, const char* fileName, char* path, uint32_t pathSize);
