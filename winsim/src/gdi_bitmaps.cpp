// Bitmaps: monochrome and colour device-dependent bitmaps, and the device-independent
// bitmaps of a module's resources, which LoadBitmapA turns into bitmaps for the display.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "device_contexts.h"
#include "faults.h"
#include "gdi_objects.h"
#include "gdi_surfaces.h"
#include "kernel_resources.h"

namespace winsim::detail {
namespace {

constexpr int kMaxSide = 1 << 15;

bool SizeFits(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           static_cast<std::int64_t>(width) * height <= kMaxSurfacePixels;
}

HBITMAP AddBitmap(Surface surface)
{
    return static_cast<HBITMAP>(AddGdiObject(GdiKind::Bitmap, BitmapObject{std::move(surface)}));
}

// The format that a bitmap of `bits` bits per pixel gets: 16 bits follow the display when it
// is a 15- or 16-bit one.
std::optional<PixelFormat> FormatForBits(UINT bits)
{
    if (bits == 1) {
        return PixelFormat::Mono;
    }
    if (bits <= 4) {
        return PixelFormat::Palette4;
    }
    if (bits <= 8) {
        return PixelFormat::Palette8;
    }
    if (bits <= 16) {
        const PixelFormat display = DisplayFormat();
        return display == PixelFormat::Rgb555 ? display : PixelFormat::Rgb565;
    }
    if (bits <= 24) {
        return PixelFormat::Rgb24;
    }
    if (bits <= 32) {
        return PixelFormat::Rgb32;
    }
    return std::nullopt;
}

// Reads a device value from device-dependent rows, which are padded to 16-bit words.
std::uint32_t ReadDdbPixel(const BYTE* row, int x, PixelFormat format)
{
    switch (format) {
        case PixelFormat::Mono:
            return (row[x / 8] >> (7 - x % 8)) & 1U;
        case PixelFormat::Palette4:
            return (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xFU;
        case PixelFormat::Palette8:
            return row[x];
        case PixelFormat::Rgb555:
        case PixelFormat::Rgb565:
            return static_cast<std::uint32_t>(row[2 * x] | (row[2 * x + 1] << 8));
        case PixelFormat::Rgb24: {
            const BYTE* p = row + 3 * x;
            return RGB(p[2], p[1], p[0]);
        }
        case PixelFormat::Rgb32: {
            const BYTE* p = row + 4 * x;
            return RGB(p[2], p[1], p[0]);
        }
    }
    return 0;
}

void FillFromDdbBits(Surface& surface, const void* bits)
{
    const auto* bytes = static_cast<const BYTE*>(bits);
    const std::size_t stride =
        (static_cast<std::size_t>(surface.width) * static_cast<std::size_t>(BitsPerPixel(surface.format)) +
         15) /
        16 * 2;
    for (int y = 0; y < surface.height; ++y) {
        std::uint32_t* row = surface.Row(y);
        for (int x = 0; x < surface.width; ++x) {
            row[x] = ReadDdbPixel(bytes + static_cast<std::size_t>(y) * stride, x, surface.format);
        }
    }
}

// ---- device-independent bitmaps from resources ----

class Reader {
public:
    explicit Reader(std::span<const std::byte> data) : data_(data) {}
    std::size_t size() const { return data_.size(); }
    std::uint32_t U8(std::size_t at) const { return static_cast<std::uint32_t>(data_[at]); }
    std::uint32_t U16(std::size_t at) const { return U8(at) | (U8(at + 1) << 8); }
    std::uint32_t U32(std::size_t at) const { return U16(at) | (U16(at + 2) << 16); }

private:
    std::span<const std::byte> data_;
};

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;

struct Dib {
    int width = 0;
    int height = 0;
    bool bottomUp = true;
    int bits = 0;
    std::vector<COLORREF> colours;       // the colour table
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue of 16- and 32-bit pixels
    std::size_t pixelsAt = 0;
    std::size_t stride = 0;
};

bool ValidBits(int bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Everything is checked against the resource's size before a pixel is read.
std::optional<Dib> ParseDib(const Reader& in)
{
    if (in.size() < 4) {
        return std::nullopt;
    }
    Dib dib;
    const std::size_t headerSize = in.U32(0);
    std::uint32_t compression = kBiRgb;
    std::size_t colourCount = 0;
    std::size_t entrySize = 4;
    std::size_t tableAt = headerSize;
    if (headerSize == kCoreHeaderSize && in.size() >= kCoreHeaderSize) {
        dib.width = static_cast<int>(in.U16(4));
        dib.height = static_cast<int>(in.U16(6));
        if (in.U16(8) != 1) {
            return std::nullopt;
        }
        dib.bits = static_cast<int>(in.U16(10));
        entrySize = 3;
        colourCount = dib.bits <= 8 ? std::size_t{1} << dib.bits : 0;
    } else if (headerSize >= kInfoHeaderSize && headerSize <= in.size()) {
        dib.width = static_cast<std::int32_t>(in.U32(4));
        const auto height = static_cast<std::int32_t>(in.U32(8));
        if (height == INT32_MIN || in.U16(12) != 1) {
            return std::nullopt;
        }
        dib.bottomUp = height > 0;
        dib.height = std::abs(height);
        dib.bits = static_cast<int>(in.U16(14));
        compression = in.U32(16);
        const std::size_t used = in.U32(32);
        if (dib.bits <= 8) {
            const std::size_t full = std::size_t{1} << std::min(dib.bits, 8);
            colourCount = used == 0 ? full : std::min(used, full);
        } else if (used <= 256) {
            colourCount = used;
        } else {
            return std::nullopt;
        }
        if (compression == kBiBitfields && (dib.bits == 16 || dib.bits == 32)) {
            // The masks follow a plain info header and lie inside the longer ones.
            const std::size_t masksAt = kInfoHeaderSize;
            if (masksAt + 12 > in.size()) {
                return std::nullopt;
            }
            for (std::size_t i = 0; i < 3; ++i) {
                dib.masks[i] = in.U32(masksAt + 4 * i);
            }
            if (headerSize == kInfoHeaderSize) {
                tableAt += 12;
            }
        } else if (compression != kBiRgb) {
            return std::nullopt;
        }
    } else {
        return std::nullopt;
    }
    if (!ValidBits(dib.bits) || !SizeFits(dib.width, dib.height)) {
        return std::nullopt;
    }
    if (compression == kBiRgb && dib.bits == 16) {
        dib.masks[0] = 0x7C00;
        dib.masks[1] = 0x03E0;
        dib.masks[2] = 0x001F;
    } else if (compression == kBiRgb && dib.bits == 32) {
        dib.masks[0] = 0xFF0000;
        dib.masks[1] = 0x00FF00;
        dib.masks[2] = 0x0000FF;
    }
    const std::size_t tableEnd = tableAt + colourCount * entrySize;
    dib.stride = (static_cast<std::size_t>(dib.width) * static_cast<std::size_t>(dib.bits) + 31) / 32 * 4;
    dib.pixelsAt = tableEnd;
    if (tableEnd > in.size() || dib.stride * static_cast<std::size_t>(dib.height) > in.size() - tableEnd) {
        return std::nullopt;
    }
    dib.colours.reserve(colourCount);
    for (std::size_t i = 0; i < colourCount; ++i) {
        const std::size_t at = tableAt + i * entrySize;
        dib.colours.push_back(RGB(in.U8(at + 2), in.U8(at + 1), in.U8(at)));
    }
    return dib;
}

// A field under a mask, widened to 8 bits.
std::uint32_t MaskedChannel(std::uint32_t pixel, std::uint32_t mask)
{
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1U) == 0) {
        ++shift;
    }
    int width = 0;
    while (shift + width < 32 && ((mask >> (shift + width)) & 1U) != 0) {
        ++width;
    }
    const std::uint32_t field = (pixel & mask) >> shift;
    if (width >= 8) {
        return (field >> (width - 8)) & 0xFF;
    }
    const std::uint32_t largest = (1U << width) - 1;
    return (field * 255 + largest / 2) / largest;
}

COLORREF DibColour(const Dib& dib, const Reader& in, std::size_t rowAt, int x)
{
    std::size_t index = 0;
    switch (dib.bits) {
        case 1:
            index = (in.U8(rowAt + static_cast<std::size_t>(x / 8)) >> (7 - x % 8)) & 1U;
            break;
        case 4:
            index = (in.U8(rowAt + static_cast<std::size_t>(x / 2)) >> (x % 2 == 0 ? 4 : 0)) & 0xFU;
            break;
        case 8:
            index = in.U8(rowAt + static_cast<std::size_t>(x));
            break;
        case 24: {
            const std::size_t at = rowAt + static_cast<std::size_t>(x) * 3;
            return RGB(in.U8(at + 2), in.U8(at + 1), in.U8(at));
        }
        default: {
            const std::size_t at =
                rowAt + static_cast<std::size_t>(x) * static_cast<std::size_t>(dib.bits / 8);
            const std::uint32_t pixel = dib.bits == 16 ? in.U16(at) : in.U32(at);
            return RGB(MaskedChannel(pixel, dib.masks[0]), MaskedChannel(pixel, dib.masks[1]),
                       MaskedChannel(pixel, dib.masks[2]));
        }
    }
    // An index past the colour table shows black.
    return index < dib.colours.size() ? dib.colours[index] : RGB(0, 0, 0);
}

// A two-colour bitmap of black and white becomes a monochrome bitmap; everything else a
// bitmap for the display.
PixelFormat FormatForDib(const Dib& dib)
{
    const COLORREF black = RGB(0, 0, 0);
    const COLORREF white = RGB(255, 255, 255);
    if (dib.bits == 1 && dib.colours.size() == 2 &&
        ((dib.colours[0] == black && dib.colours[1] == white) ||
         (dib.colours[0] == white && dib.colours[1] == black))) {
        return PixelFormat::Mono;
    }
    return DisplayFormat();
}

Surface SurfaceFromDib(const Dib& dib, const Reader& in)
{
    Surface surface = MakeSurface(dib.width, dib.height, FormatForDib(dib));
    COLORREF lastColour = CLR_INVALID;
    std::uint32_t lastValue = 0;
    for (int y = 0; y < dib.height; ++y) {
        const int fileRow = dib.bottomUp ? dib.height - 1 - y : y;
        const std::size_t rowAt = dib.pixelsAt + static_cast<std::size_t>(fileRow) * dib.stride;
        std::uint32_t* row = surface.Row(y);
        for (int x = 0; x < dib.width; ++x) {
            const COLORREF colour = DibColour(dib, in, rowAt, x);
            if (colour != lastColour) {
                lastColour = colour;
                lastValue = ToDevice(surface.format, colour);
            }
            row[x] = lastValue;
        }
    }
    return surface;
}

}  // namespace
}  // namespace winsim::detail

using winsim::detail::PixelFormat;

HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    if (winsim::detail::FailableCall("CreateBitmap")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    width = std::abs(width);
    height = std::abs(height);
    if (width == 0 || height == 0) {
        return static_cast<HBITMAP>(winsim::detail::DefaultBitmap());
    }
    const auto format = winsim::detail::FormatForBits(bitsPerPixel);
    if (planes != 1 || !format) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!winsim::detail::SizeFits(width, height)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (winsim::detail::ConsumeFault(winsim::Fault::CreateBitmap)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    winsim::detail::Surface surface = winsim::detail::MakeSurface(width, height, *format);
    if (bits != nullptr) {
        winsim::detail::FillFromDdbBits(surface, bits);
    }
    return winsim::detail::AddBitmap(std::move(surface));
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC dc, int width, int height)
{
    if (winsim::detail::FailableCall("CreateCompatibleBitmap")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const winsim::detail::DeviceContext* context = winsim::detail::FindDeviceContext(dc);
    if (context == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (width == 0 || height == 0) {
        return static_cast<HBITMAP>(winsim::detail::DefaultBitmap());
    }
    if (width < 0 || height < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!winsim::detail::SizeFits(width, height)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // A memory DC makes bitmaps like the one selected into it, so a fresh one makes
    // monochrome bitmaps; every other DC makes bitmaps for the display.
    PixelFormat format = winsim::detail::DisplayFormat();
    if (context->kind == winsim::detail::DcKind::Memory) {
        const winsim::detail::Surface* selected =
            winsim::detail::FindBitmapSurface(winsim::detail::SelectedObject(dc, winsim::GdiKind::Bitmap));
        if (selected != nullptr) {
            format = selected->format;
        }
    }
    if (winsim::detail::ConsumeFault(winsim::Fault::CreateBitmap)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return winsim::detail::AddBitmap(winsim::detail::MakeSurface(width, height, format));
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name)
{
    if (winsim::detail::FailableCall("LoadBitmapA")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (instance == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);  // the system's own bitmaps are not modelled
        return nullptr;
    }
    const auto bytes = winsim::detail::ResourceBytes(instance, name, RT_BITMAP);
    if (!bytes) {
        return nullptr;
    }
    const winsim::detail::Reader reader(*bytes);
    const auto dib = winsim::detail::ParseDib(reader);
    if (!dib) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (winsim::detail::ConsumeFault(winsim::Fault::CreateBitmap)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return winsim::detail::AddBitmap(winsim::detail::SurfaceFromDib(*dib, reader));
}
