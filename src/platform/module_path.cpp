#include "platform/module_path.h"

bool PathBesideModule(HINSTANCE module, const char* fileName, char* path, uint32_t pathSize)
{
    if (path == nullptr || pathSize == 0) {
        return false;
    }
    path[0] = '\0';
    if (fileName == nullptr) {
        return false;
    }
    // A name that fills the buffer may have been cut, and is then not terminated.
    DWORD length = GetModuleFileNameA(module, path, pathSize);
    if (length == 0 || length >= pathSize) {
        path[0] = '\0';
        return false;
    }
    uint32_t directoryEnd = 0;
    for (uint32_t i = 0; i < length; ++i) {
        if (path[i] == '\\') {
            directoryEnd = i + 1;
        }
    }
    uint32_t at = directoryEnd;
    for (const char* c = fileName; *c != '\0'; ++c) {
        if (at + 1 >= pathSize) {
            path[0] = '\0';
            return false;
        }
        path[at++] = *c;
    }
    path[at] = '\0';
    return true;
}
