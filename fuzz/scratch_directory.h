// What the fuzz targets share: a host directory that winsim maps as a Windows one, for the
// files an input becomes, and the check that stops a run when an input breaks a promise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace fuzz {

// A fresh directory (in shared memory when there is some) mapped as `windowsDirectory` for
// the whole run, and removed when the process ends.
class ScratchDirectory {
public:
    explicit ScratchDirectory(std::string_view windowsDirectory);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // Writes `bytes` as the file `name` and answers its Windows path.
    std::string Write(std::string_view name, std::span<const std::uint8_t> bytes) const;

private:
    std::string windowsDirectory_;
    std::filesystem::path host_;
};

// Stops the run, as a crash the fuzzer keeps, when `holds` is false.
void Expect(bool holds, const char* what);

}  // namespace fuzz
