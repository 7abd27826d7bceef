// KVAPI32.DLL's entry: the adapter takes its configuration from KVAPI32.INI beside the DLL,
// or is the default adapter when there is no such file.
#include "dll_runtime.h"
#include "kvapi/adapter.h"
#include "kvapi/kvapi_proc.h"

#include <optional>
#include <string>

namespace {

std::string FileBesideModule(HINSTANCE instance, const char* name)
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(instance, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return {};
    }
    std::string full(path, length);
    const std::size_t slash = full.find_last_of('\\');
    full.erase(slash == std::string::npos ? 0 : slash + 1);
    return full + name;
}

// The file's whole content, or nullopt when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::string& path)
{
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string text;
    char chunk[1024];
    DWORD count = 0;
    while (ReadFile(file, chunk, sizeof chunk, &count, nullptr) && count > 0) {
        text.append(chunk, count);
    }
    CloseHandle(file);
    return text;
}

// A configuration file that cannot be read as one refuses the load, so that a mistake in it
// is never mistaken for the default adapter; the reason goes to the debugger.
bool ConfigureAdapter(HINSTANCE instance)
{
    const std::string path = FileBesideModule(instance, "KVAPI32.INI");
    const std::optional<std::string> text = path.empty() ? std::nullopt : ReadWholeFile(path);
    if (!text) {
        kvapi::ResetAdapter(kvapi::DefaultConfig());
        return true;
    }
    std::string error;
    std::optional<kvapi::AdapterConfig> config = kvapi::ParseConfig(*text, &error);
    if (!config) {
        OutputDebugStringA(("KVAPI32: " + path + ": " + error + "\n").c_str());
        return false;
    }
    kvapi::ResetAdapter(std::move(*config));
    return true;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            DisableThreadLibraryCalls(instance);
            return ConfigureAdapter(instance) ? TRUE : FALSE;
        case DLL_PROCESS_DETACH:
            // `reserved` is set when the whole process ends: its memory goes with it, and the
            // adapter may be in the middle of a call that ExitProcess interrupted.
            if (reserved == nullptr) {
                kvapi::ReleaseRuntime();
            }
            return TRUE;
        default:
            return TRUE;
    }
}
