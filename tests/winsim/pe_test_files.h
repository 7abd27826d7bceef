// The resource library the project builds, copies of it (whole or damaged) for a sandbox
// that winsim maps as C:\WINDOWS\SYSTEM, and the offsets of its PE structures.
#pragma once

#include <winsim/control.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/sandbox.h"

namespace pe_test {

using Bytes = std::vector<std::byte>;

inline constexpr const char* kSystem = "C:\\WINDOWS\\SYSTEM";
inline constexpr const char* kLibraryPath = "C:\\WINDOWS\\SYSTEM\\KVSettng.RLB";

inline Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Bytes bytes(chars.size());
    for (std::size_t i = 0; i < chars.size(); ++i) {
        bytes[i] = static_cast<std::byte>(chars[i]);
    }
    return bytes;
}

inline const Bytes& Library()
{
    static const Bytes bytes = ReadFile(KV_RLB_PATH);
    return bytes;
}

inline std::uint32_t U16(const Bytes& bytes, std::size_t offset)
{
    return std::to_integer<std::uint32_t>(bytes.at(offset)) |
           std::to_integer<std::uint32_t>(bytes.at(offset + 1)) << 8;
}

inline std::uint32_t U32(const Bytes& bytes, std::size_t offset)
{
    return U16(bytes, offset) | U16(bytes, offset + 2) << 16;
}

inline void Put16(Bytes& bytes, std::size_t offset, std::uint32_t value)
{
    bytes.at(offset) = static_cast<std::byte>(value & 0xFF);
    bytes.at(offset + 1) = static_cast<std::byte>((value >> 8) & 0xFF);
}

inline void Put32(Bytes& bytes, std::size_t offset, std::uint32_t value)
{
    Put16(bytes, offset, value & 0xFFFF);
    Put16(bytes, offset + 2, value >> 16);
}

// Where the structures of a PE file lie, read the plain way from a file known to be sound.
struct Layout {
    std::size_t peHeader;
    std::size_t coff;
    std::size_t optional;
    std::size_t sectionTable;
    std::size_t sectionCount;
    std::size_t resourceField;  // the resource data directory: RVA, then size
    std::size_t resourceRoot;   // file offset of the root resource directory
    std::uint32_t resourceRva;

    explicit Layout(const Bytes& bytes)
    {
        peHeader = U32(bytes, 0x3C);
        coff = peHeader + 4;
        optional = coff + 20;
        sectionTable = optional + U16(bytes, coff + 16);
        sectionCount = U16(bytes, coff + 2);
        resourceField = optional + 96 + 2 * 8;
        resourceRva = U32(bytes, resourceField);
        resourceRoot = FileOffset(bytes, resourceRva);
    }

    std::size_t Section(std::size_t index) const { return sectionTable + index * 40; }

    // Where the last section's data ends; the symbols may follow.
    std::size_t ImageEnd(const Bytes& bytes) const
    {
        std::size_t end = 0;
        for (std::size_t i = 0; i < sectionCount; ++i) {
            end = std::max<std::size_t>(end, U32(bytes, Section(i) + 20) + U32(bytes, Section(i) + 16));
        }
        return end;
    }

    std::size_t FileOffset(const Bytes& bytes, std::uint32_t rva) const
    {
        for (std::size_t i = 0; i < sectionCount; ++i) {
            const std::uint32_t start = U32(bytes, Section(i) + 12);
            if (rva >= start && rva < start + U32(bytes, Section(i) + 16)) {
                return U32(bytes, Section(i) + 20) + (rva - start);
            }
        }
        return 0;
    }

    // The offset from the root of the entry with `id` in the directory at `directory`.
    static std::size_t EntryWithId(const Bytes& bytes, std::size_t root, std::size_t directory,
                                   std::uint32_t id)
    {
        const std::size_t named = U16(bytes, root + directory + 12);
        const std::size_t count = named + U16(bytes, root + directory + 14);
        for (std::size_t i = named; i < count; ++i) {
            const std::size_t entry = directory + 16 + i * 8;
            if (U32(bytes, root + entry) == id) {
                return entry;
            }
        }
        return 0;
    }
};

}  // namespace pe_test
