#include "scratch_directory.h"

#include <stdlib.h>
#include <winsim/control.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

namespace fuzz {
namespace {

std::filesystem::path TemporaryParent()
{
    std::error_code error;
    const std::filesystem::path shared = "/dev/shm";
    if (std::filesystem::is_directory(shared, error)) {
        return shared;
    }
    return std::filesystem::temp_directory_path();
}

}  // namespace

ScratchDirectory::ScratchDirectory(std::string_view windowsDirectory) : windowsDirectory_(windowsDirectory)
{
    std::string pattern = (TemporaryParent() / "kv_fuzz_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "no temporary directory from %s\n", pattern.c_str());
        std::abort();
    }
    host_ = pattern;
    winsim::MapDirectory(windowsDirectory_, host_.string());
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(host_, ignored);
}

std::string ScratchDirectory::Write(std::string_view name, std::span<const std::uint8_t> bytes) const
{
    std::ofstream file(host_ / name, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return windowsDirectory_ + "\\" + std::string(name);
}

void Expect(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

}  // namespace fuzz
