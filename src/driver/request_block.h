// The blocks exchanged with the driver: byte arrays with little-endian fields at fixed,
// sometimes unaligned, offsets. Every access goes through the helpers below, and the layout
// of every block is written down here once, its size tied to its fields.
#pragma once

#include "platform/platform.h"

// Fields common to every tagged request block; what the request itself carries, its
// payload, follows them.
const uint32_t kRequestFunctionOffset = 0;
const uint32_t kRequestStatusOffset = 4;
const uint32_t kRequestTagOffset = 8;
const uint32_t kRequestPayloadOffset = 12;
const uint32_t kRequestTagSize = 4;

// One display mode as the driver packs it: u32 width, u32 height, u8 depth, u8 rate.
const uint32_t kModeRecordSize = 10;
// The capacity of the mode table and of the viewport table.
const uint32_t kMaxTableRecords = 256;

// The handshake ("own0"): the driver's interface identifier and how many functions it has.
const uint32_t kHandshakeInterfaceIdOffset = kRequestPayloadOffset;
const uint32_t kHandshakeFunctionCountOffset = kRequestPayloadOffset + 4;
const uint32_t kHandshakeBlockSize = 20;
static_assert(kHandshakeBlockSize == kHandshakeFunctionCountOffset + 4);

// The capability map, a request without a tag: one bit per function from offset 8.
const uint32_t kCapabilityBitsOffset = 8;

// The mode table ("crs0"): a count, then the records.
const uint32_t kModeCountOffset = kRequestPayloadOffset;
const uint32_t kModeRecordsOffset = kModeCountOffset + 4;
const uint32_t kModeTableBlockSize = 2576;
static_assert(kModeTableBlockSize == kModeRecordsOffset + kMaxTableRecords * kModeRecordSize);

// The argument of the requests about one mode ("vwp0", "cvt0"): u32 0, then a mode record.
const uint32_t kModeArgumentOffset = kRequestPayloadOffset;
const uint32_t kModeArgumentSize = 4 + kModeRecordSize;

// The viewport table ("vwp0"): the argument, a count (not aligned to 4), then the records.
const uint32_t kViewportCountOffset = kModeArgumentOffset + kModeArgumentSize;
const uint32_t kViewportRecordsOffset = kViewportCountOffset + 4;
const uint32_t kViewportTableBlockSize = 2590;
static_assert(kViewportTableBlockSize == kViewportRecordsOffset + kMaxTableRecords * kModeRecordSize);

// The viewport ("vpd0"): two values, the origin's x and y or the size's width and height.
const uint32_t kFirstValueOffset = kRequestPayloadOffset;
const uint32_t kSecondValueOffset = kRequestPayloadOffset + 4;
const uint32_t kViewportBlockSize = 20;
static_assert(kViewportBlockSize == kSecondValueOffset + 4);

// The viewport mode ("vmp0"): one value.
const uint32_t kViewportModeBlockSize = 16;
static_assert(kViewportModeBlockSize == kFirstValueOffset + 4);

// The start-up queries whose replies the module does not read.
const uint32_t kDriverVersionBlockSize = 1824;
const uint32_t kModeDetailsReplySize = 2048;
const uint32_t kModeDetailsBlockSize = 2074;
static_assert(kModeDetailsBlockSize == kModeArgumentOffset + kModeArgumentSize + kModeDetailsReplySize);
const uint32_t kAdapterInfoBlockSize = 16;
const uint32_t kTvOutputBlockSize = 152;

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
