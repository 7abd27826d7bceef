// The module registry: modules by Windows path, their reference counts and entry points.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "faults.h"
#include "pe_image.h"
#include "text.h"

namespace {

using winsim::detail::EqualsIgnoreCase;
using winsim::detail::FileNamePart;
using winsim::detail::PeImage;
using winsim::detail::WindowsSeparators;

struct Module {
    std::string path;
    std::vector<winsim::Export> exports;
    winsim::ModuleEntry entry = nullptr;
    HMODULE handle = nullptr;
    int loadCount = 0;
    bool detaching = false;  // inside DLL_PROCESS_DETACH: still mapped, no longer counted
    unsigned long loadSequence = 0;
    bool fromDisk = false;                 // read from a PE file rather than registered
    std::unique_ptr<const PeImage> image;  // while a module from disk is mapped
};

struct Registry {
    std::string imagePath = "C:\\WINDOWS\\RUNDLL32.EXE";
    std::vector<Module> modules;
    unsigned long nextLoadSequence = 1;
    UINT errorModeAtLastLoad = 0;
};

// Lives until the process ends, so that calls made while the process exits still find it.
Registry& State()
{
    static Registry* registry = new Registry;
    return *registry;
}

constexpr std::uintptr_t kImageBase = 0x00400000;
constexpr std::uintptr_t kModuleBase = 0x10000000;
constexpr std::uintptr_t kModuleSpacing = 0x00010000;
// What the loader passes as the reserved argument of DLL_PROCESS_DETACH at process end.
LPVOID const kProcessEnding = reinterpret_cast<LPVOID>(1);

HMODULE ImageHandle()
{
    return reinterpret_cast<HMODULE>(kImageBase);
}

HMODULE HandleForIndex(std::size_t index)
{
    return reinterpret_cast<HMODULE>(kModuleBase + index * kModuleSpacing);
}

// Entry points may register or load modules, which moves the vector: look modules up again
// by handle after every call into one.
Module* FindRegistered(HMODULE handle)
{
    auto& modules = State().modules;
    auto found =
        std::find_if(modules.begin(), modules.end(), [&](const Module& m) { return m.handle == handle; });
    return found == modules.end() ? nullptr : &*found;
}

bool IsMapped(const Module& module)
{
    return module.loadCount > 0 || module.detaching;
}

Module* FindMapped(HMODULE handle)
{
    Module* module = FindRegistered(handle);
    return (module != nullptr && IsMapped(*module)) ? module : nullptr;
}

// The name the loader searches for: '/' read as '\\', and a file name without extension
// gets ".DLL" (a trailing dot means "no extension").
std::string LibrarySearchName(std::string_view name)
{
    std::string result = WindowsSeparators(name);
    const std::string_view file = FileNamePart(result);
    if (!file.empty() && file.back() == '.') {
        result.pop_back();
    } else if (file.find('.') == std::string_view::npos) {
        result += ".DLL";
    }
    return result;
}

bool NameMatches(std::string_view searchName, std::string_view modulePath)
{
    if (searchName.find('\\') != std::string_view::npos) {
        return EqualsIgnoreCase(searchName, modulePath);
    }
    return EqualsIgnoreCase(searchName, FileNamePart(modulePath));
}

bool IsImageName(std::string_view searchName)
{
    return NameMatches(searchName, State().imagePath);
}

// A module already mapped wins over another registered under the same file name.
Module* FindByName(std::string_view searchName, bool mappedOnly)
{
    Module* candidate = nullptr;
    for (Module& module : State().modules) {
        if (!NameMatches(searchName, module.path)) {
            continue;
        }
        if (IsMapped(module)) {
            return &module;
        }
        if (!mappedOnly && candidate == nullptr) {
            candidate = &module;
        }
    }
    return candidate;
}

// Where a name that is not registered is read from: a full path as it is, anything else
// beside the process image.
std::string DiskPath(const std::string& searchName)
{
    const bool full = (searchName.size() >= 2 && searchName[1] == ':') || searchName.starts_with("\\\\");
    if (full) {
        return searchName;
    }
    const std::string& image = State().imagePath;
    return image.substr(0, image.find_last_of('\\') + 1) + searchName;
}

constexpr std::uintmax_t kLargestImageFile = 64u << 20;

enum class FileRead { Ok, Missing, TooLarge };

FileRead ReadHostFile(const std::string& hostPath, std::vector<std::byte>& bytes)
{
    std::error_code error;
    if (hostPath.empty() || !std::filesystem::is_regular_file(hostPath, error)) {
        return FileRead::Missing;
    }
    const std::uintmax_t size = std::filesystem::file_size(hostPath, error);
    if (error) {
        return FileRead::Missing;
    }
    if (size > kLargestImageFile) {
        return FileRead::TooLarge;
    }
    bytes.resize(static_cast<std::size_t>(size));
    std::ifstream file(hostPath, std::ios::binary);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file && file.gcount() == static_cast<std::streamsize>(bytes.size()) ? FileRead::Ok
                                                                               : FileRead::Missing;
}

// Reads a module that is not registered in memory from its PE file, through the mapped
// directories. Resource-only libraries are what this serves: every image is mapped as data,
// so its imports are not bound and its entry point never runs, even when it has one.
HMODULE LoadImageFromDisk(const std::string& searchName)
{
    const std::string path = DiskPath(searchName);
    std::vector<std::byte> bytes;
    const FileRead read = ReadHostFile(winsim::HostPath(path), bytes);
    if (read == FileRead::Missing) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::unique_ptr<const PeImage> image = read == FileRead::Ok ? PeImage::Parse(std::move(bytes)) : nullptr;
    if (image == nullptr) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    auto& modules = State().modules;
    auto earlier = std::find_if(modules.begin(), modules.end(), [&](const Module& m) {
        return m.fromDisk && !IsMapped(m) && EqualsIgnoreCase(m.path, path);
    });
    if (earlier == modules.end()) {
        Module module;
        module.path = path;
        module.fromDisk = true;
        module.handle = HandleForIndex(modules.size());
        modules.push_back(std::move(module));
        earlier = modules.end() - 1;
    }
    earlier->image = std::move(image);
    earlier->loadCount = 1;
    earlier->loadSequence = State().nextLoadSequence++;
    return earlier->handle;
}

BOOL CallEntry(HMODULE handle, DWORD reason, LPVOID reserved)
{
    const Module* module = FindRegistered(handle);
    if (module == nullptr || module->entry == nullptr) {
        return TRUE;
    }
    return module->entry(reinterpret_cast<HINSTANCE>(handle), reason, reserved);
}

void Detach(HMODULE handle, LPVOID reserved)
{
    Module* module = FindRegistered(handle);
    module->loadCount = 0;
    module->detaching = true;
    CallEntry(handle, DLL_PROCESS_DETACH, reserved);
    module = FindRegistered(handle);
    module->detaching = false;
    module->image.reset();
}

HMODULE Attach(Module& module)
{
    const HMODULE handle = module.handle;
    module.loadCount = 1;
    module.loadSequence = State().nextLoadSequence++;
    if (CallEntry(handle, DLL_PROCESS_ATTACH, nullptr)) {
        return handle;
    }
    // A refused attach still gets its detach before the image goes away.
    Detach(handle, nullptr);
    SetLastError(ERROR_DLL_INIT_FAILED);
    return nullptr;
}

}  // namespace

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    if (winsim::detail::FailableCall("GetModuleFileNameA")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const std::string* path = nullptr;
    if (module == nullptr || module == ImageHandle()) {
        path = &State().imagePath;
    } else if (const Module* found = FindMapped(module)) {
        path = &found->path;
    }
    if (path == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (fileName == nullptr && size > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Copies what fits; the terminator only when there is room for it.
    const DWORD length = static_cast<DWORD>(std::min<std::size_t>(size, path->size()));
    std::copy_n(path->data(), length, fileName);
    if (length < size) {
        fileName[length] = '\0';
    } else {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
    }
    return length;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    if (moduleName == nullptr) {
        return ImageHandle();
    }
    const std::string searchName = LibrarySearchName(moduleName);
    if (IsImageName(searchName)) {
        return ImageHandle();
    }
    if (const Module* module = FindByName(searchName, true)) {
        return module->handle;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR fileName)
{
    const bool failing = winsim::detail::FailableCall("LoadLibraryA");
    State().errorModeAtLastLoad = winsim::CurrentErrorMode();
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (failing || winsim::detail::ConsumeFault(winsim::Fault::LoadLibrary)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const std::string searchName = LibrarySearchName(fileName);
    if (IsImageName(searchName)) {
        return ImageHandle();
    }
    Module* module = FindByName(searchName, false);
    if (module == nullptr || (module->fromDisk && !IsMapped(*module))) {
        return LoadImageFromDisk(searchName);
    }
    if (IsMapped(*module)) {
        ++module->loadCount;
        return module->handle;
    }
    return Attach(*module);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName)
{
    if (winsim::detail::FailableCall("GetProcAddress")) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (module == nullptr || module == ImageHandle()) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    const Module* found = FindMapped(module);
    if (found == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const auto& exports = found->exports;
    if (IS_INTRESOURCE(procName)) {
        // Ordinals number the exports from 1 in the order they were registered.
        const auto ordinal = reinterpret_cast<std::uintptr_t>(procName);
        if (ordinal >= 1 && ordinal <= exports.size()) {
            return exports[ordinal - 1].proc;
        }
    } else {
        auto named = std::find_if(exports.begin(), exports.end(),
                                  [&](const winsim::Export& e) { return e.name == procName; });
        if (named != exports.end()) {
            return named->proc;
        }
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE module)
{
    if (module == ImageHandle()) {
        return TRUE;
    }
    Module* found = FindRegistered(module);
    if (found == nullptr || found->loadCount == 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    if (--found->loadCount == 0) {
        Detach(module, nullptr);
    }
    return TRUE;
}

namespace winsim {

namespace detail {

const PeImage* MappedImage(HMODULE module)
{
    const Module* found = FindMapped(module);
    return found != nullptr ? found->image.get() : nullptr;
}

}  // namespace detail

HMODULE RegisterModule(std::string_view path, std::vector<Export> exports, ModuleEntry entry)
{
    const std::string windowsPath = WindowsSeparators(path);
    auto& modules = State().modules;
    for (Module& module : modules) {
        if (EqualsIgnoreCase(module.path, windowsPath)) {
            module.exports = std::move(exports);
            module.entry = entry;
            return module.handle;
        }
    }
    Module module;
    module.path = windowsPath;
    module.exports = std::move(exports);
    module.entry = entry;
    module.handle = HandleForIndex(modules.size());
    modules.push_back(std::move(module));
    return modules.back().handle;
}

HMODULE SetProcessImage(std::string_view path)
{
    State().imagePath = WindowsSeparators(path);
    return ImageHandle();
}

bool IsModuleLoaded(HMODULE module)
{
    if (module == ImageHandle()) {
        return true;
    }
    const Module* found = FindRegistered(module);
    return found != nullptr && found->loadCount > 0;
}

int ModuleLoadCount(HMODULE module)
{
    if (module == ImageHandle()) {
        return 1;
    }
    const Module* found = FindRegistered(module);
    return found == nullptr ? 0 : found->loadCount;
}

UINT ErrorModeAtLastLoad()
{
    return State().errorModeAtLastLoad;
}

void EndProcess()
{
    std::vector<std::pair<unsigned long, HMODULE>> loaded;
    for (const Module& module : State().modules) {
        if (module.loadCount > 0) {
            loaded.emplace_back(module.loadSequence, module.handle);
        }
    }
    // The last module loaded is the first to hear of the end.
    std::sort(loaded.rbegin(), loaded.rend());
    for (const auto& [sequence, handle] : loaded) {
        if (FindRegistered(handle)->loadCount > 0) {
            Detach(handle, kProcessEnding);
        }
    }
}

}  // namespace winsim
