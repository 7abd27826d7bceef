// Little-endian fields of the blocks exchanged with the driver. Blocks are byte arrays with
// fields at fixed, sometimes unaligned, offsets; every access goes through these helpers.
#pragma once

#include "platform/platform.h"

inline uint32_t ReadU32(const uint8_t* block, uint32_t offset)
{
    const uint8_t* p = block + offset;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void WriteU32(uint8_t* block, uint32_t offset, uint32_t value)
{
    uint8_t* p = block + offset;
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

inline void ClearBytes(uint8_t* bytes, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        bytes[i] = 0;
    }
}

inline void CopyBytes(uint8_t* destination, const uint8_t* source, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        destination[i] = source[i];
    }
}
