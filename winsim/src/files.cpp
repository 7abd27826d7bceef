// Windows directories mapped onto host directories, for what the system reads from disk.
#include <winsim/control.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "text.h"

namespace {

using winsim::detail::EqualsIgnoreCase;
using winsim::detail::StartsWithIgnoreCase;

struct Mapping {
    std::string windowsDirectory;  // collapsed, without a trailing backslash
    std::string hostDirectory;
};

std::vector<Mapping>& Mappings()
{
    static auto* mappings = new std::vector<Mapping>;
    return *mappings;
}

// Collapses "." and ".." the way the system does before it opens a path; ".." never climbs
// above the drive.
std::string CollapseDots(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (parts.size() > 1) {
                parts.pop_back();
            }
        } else if (part != "." && !(part.empty() && !parts.empty())) {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        result += (i == 0 ? "" : "\\");
        result += parts[i];
    }
    return result;
}

// Windows file names ignore case; a host file system may not. Takes the entry of `directory`
// whose name matches `name` without regard to case, preferring an exact match.
std::string HostEntryName(const std::filesystem::path& directory, const std::string& name)
{
    std::error_code error;
    if (std::filesystem::exists(directory / name, error)) {
        return name;
    }
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        const std::string candidate = entry.path().filename().string();
        if (EqualsIgnoreCase(candidate, name)) {
            return candidate;
        }
    }
    return name;
}

std::string JoinHostPath(const std::string& hostDirectory, std::string_view relativeWindowsPath)
{
    std::filesystem::path result(hostDirectory);
    std::size_t start = 0;
    while (start <= relativeWindowsPath.size()) {
        const std::size_t end = std::min(relativeWindowsPath.find('\\', start), relativeWindowsPath.size());
        const std::string part(relativeWindowsPath.substr(start, end - start));
        if (!part.empty()) {
            result /= HostEntryName(result, part);
        }
        start = end + 1;
    }
    return result.string();
}

}  // namespace

namespace winsim {

void MapDirectory(std::string_view windowsDirectory, std::string_view hostDirectory)
{
    const std::string directory = CollapseDots(detail::WindowsSeparators(windowsDirectory));
    for (Mapping& mapping : Mappings()) {
        if (EqualsIgnoreCase(mapping.windowsDirectory, directory)) {
            mapping.hostDirectory = hostDirectory;
            return;
        }
    }
    Mappings().push_back({directory, std::string(hostDirectory)});
}

std::string HostPath(std::string_view windowsPath)
{
    const std::string path = CollapseDots(detail::WindowsSeparators(windowsPath));
    const Mapping* best = nullptr;
    for (const Mapping& mapping : Mappings()) {
        const std::string& directory = mapping.windowsDirectory;
        const bool inside = StartsWithIgnoreCase(path, directory) &&
                            (path.size() == directory.size() || path[directory.size()] == '\\');
        if (inside && (best == nullptr || directory.size() > best->windowsDirectory.size())) {
            best = &mapping;
        }
    }
    if (best == nullptr) {
        return {};
    }
    return JoinHostPath(best->hostDirectory, std::string_view(path).substr(best->windowsDirectory.size()));
}

}  // namespace winsim
