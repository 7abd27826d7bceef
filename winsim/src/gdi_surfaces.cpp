// Pixel formats and their colours, and the screen's surface.
#include "gdi_surfaces.h"

#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <array>
#include <cstdint>

namespace winsim::detail {
namespace {

constexpr std::array<COLORREF, 16> kVgaColours{
    RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255),
};

// The system's 20 static colours sit at both ends (first ten, last ten) so that inverting an
// index inverts the colour; the colour cube fills the middle and the rest is black.
std::array<COLORREF, 256> MakeSystemPalette()
{
    constexpr std::array<COLORREF, 10> first{
        RGB(0, 0, 0),     RGB(128, 0, 0),   RGB(0, 128, 0),     RGB(128, 128, 0),   RGB(0, 0, 128),
        RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192), RGB(192, 220, 192), RGB(166, 202, 240),
    };
    constexpr std::array<COLORREF, 10> last{
        RGB(255, 251, 240), RGB(160, 160, 164), RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),
        RGB(255, 255, 0),   RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255), RGB(255, 255, 255),
    };
    std::array<COLORREF, 256> palette{};
    std::copy(first.begin(), first.end(), palette.begin());
    std::size_t index = first.size();
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 6; ++g) {
            for (int b = 0; b < 6; ++b) {
                palette[index++] = RGB(r * 51, g * 51, b * 51);
            }
        }
    }
    std::copy(last.begin(), last.end(), palette.end() - static_cast<std::ptrdiff_t>(last.size()));
    return palette;
}

const std::array<COLORREF, 256>& SystemPalette()
{
    static const std::array<COLORREF, 256> palette = MakeSystemPalette();
    return palette;
}

int Distance(COLORREF a, COLORREF b)
{
    const int r = GetRValue(a) - GetRValue(b);
    const int g = GetGValue(a) - GetGValue(b);
    const int bl = GetBValue(a) - GetBValue(b);
    return r * r + g * g + bl * bl;
}

template <std::size_t N>
std::uint32_t Nearest(const std::array<COLORREF, N>& palette, COLORREF colour)
{
    std::uint32_t best = 0;
    int bestDistance = Distance(palette[0], colour);
    for (std::size_t i = 1; i < N && bestDistance != 0; ++i) {
        const int distance = Distance(palette[i], colour);
        if (distance < bestDistance) {
            best = static_cast<std::uint32_t>(i);
            bestDistance = distance;
        }
    }
    return best;
}

// The static colours win over equal entries of the cube, so that inverting an index inverts
// the colour where the system palette allows.
std::uint32_t NearestInSystemPalette(COLORREF colour)
{
    const std::array<COLORREF, 256>& palette = SystemPalette();
    std::uint32_t best = 0;
    int bestDistance = Distance(palette[0], colour);
    auto consider = [&](std::uint32_t index) {
        const int distance = Distance(palette[index], colour);
        if (distance < bestDistance) {
            best = index;
            bestDistance = distance;
        }
    };
    for (std::uint32_t i = 1; i < 10; ++i) {
        consider(i);
    }
    for (std::uint32_t i = 246; i < 256; ++i) {
        consider(i);
    }
    for (std::uint32_t i = 10; i < 226 && bestDistance != 0; ++i) {
        consider(i);
    }
    return best;
}

// A field of `bits` bits widened to 8 with its top bits repeated below, so that full
// intensity stays 255.
std::uint32_t Widen(std::uint32_t field, int bits)
{
    return ((field << (8 - bits)) | (field >> (2 * bits - 8))) & 0xFF;
}

std::vector<std::vector<std::uint32_t>>& SpareMemory()
{
    static auto* spare = new std::vector<std::vector<std::uint32_t>>;
    return *spare;
}

struct Screen {
    Surface surface;
    DisplayMode madeFor;
    bool made = false;
};

Screen& ScreenState()
{
    static auto* screen = new Screen;
    return *screen;
}

}  // namespace

PixelFormat FormatForDepth(int bitsPerPixel)
{
    switch (bitsPerPixel) {
        case 1:
            return PixelFormat::Mono;
        case 4:
            return PixelFormat::Palette4;
        case 8:
            return PixelFormat::Palette8;
        case 15:
            return PixelFormat::Rgb555;
        case 16:
            return PixelFormat::Rgb565;
        case 24:
            return PixelFormat::Rgb24;
        default:
            return PixelFormat::Rgb32;
    }
}

int BitsPerPixel(PixelFormat format)
{
    switch (format) {
        case PixelFormat::Mono:
            return 1;
        case PixelFormat::Palette4:
            return 4;
        case PixelFormat::Palette8:
            return 8;
        case PixelFormat::Rgb555:
        case PixelFormat::Rgb565:
            return 16;
        case PixelFormat::Rgb24:
            return 24;
        case PixelFormat::Rgb32:
            return 32;
    }
    return 32;
}

std::uint32_t ValueMask(PixelFormat format)
{
    switch (format) {
        case PixelFormat::Mono:
            return 0x1;
        case PixelFormat::Palette4:
            return 0xF;
        case PixelFormat::Palette8:
            return 0xFF;
        case PixelFormat::Rgb555:
            return 0x7FFF;
        case PixelFormat::Rgb565:
            return 0xFFFF;
        case PixelFormat::Rgb24:
        case PixelFormat::Rgb32:
            return 0xFFFFFF;
    }
    return 0xFFFFFF;
}

std::uint32_t ToDevice(PixelFormat format, COLORREF colour)
{
    const std::uint32_t r = GetRValue(colour);
    const std::uint32_t g = GetGValue(colour);
    const std::uint32_t b = GetBValue(colour);
    switch (format) {
        case PixelFormat::Mono:
            return r + g + b > 382 ? 1U : 0U;
        case PixelFormat::Palette4:
            return Nearest(kVgaColours, colour);
        case PixelFormat::Palette8:
            return NearestInSystemPalette(colour);
        case PixelFormat::Rgb555:
            return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
        case PixelFormat::Rgb565:
            return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        case PixelFormat::Rgb24:
        case PixelFormat::Rgb32:
            return colour & 0xFFFFFF;
    }
    return 0;
}

COLORREF ToColour(PixelFormat format, std::uint32_t value)
{
    switch (format) {
        case PixelFormat::Mono:
            return (value & 1U) != 0 ? RGB(255, 255, 255) : RGB(0, 0, 0);
        case PixelFormat::Palette4:
            return kVgaColours[value & 0xF];
        case PixelFormat::Palette8:
            return SystemPalette()[value & 0xFF];
        case PixelFormat::Rgb555:
            return RGB(Widen((value >> 10) & 0x1F, 5), Widen((value >> 5) & 0x1F, 5), Widen(value & 0x1F, 5));
        case PixelFormat::Rgb565:
            return RGB(Widen((value >> 11) & 0x1F, 5), Widen((value >> 5) & 0x3F, 6), Widen(value & 0x1F, 5));
        case PixelFormat::Rgb24:
        case PixelFormat::Rgb32:
            return value & 0xFFFFFF;
    }
    return 0;
}

Surface MakeSurface(int width, int height, PixelFormat format)
{
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    Surface surface;
    surface.width = width;
    surface.height = height;
    surface.format = format;
    std::vector<std::vector<std::uint32_t>>& spare = SpareMemory();
    // The smallest spare block that holds the pixels, if any.
    auto best = spare.end();
    for (auto block = spare.begin(); block != spare.end(); ++block) {
        if (block->capacity() >= count && (best == spare.end() || block->capacity() < best->capacity())) {
            best = block;
        }
    }
    if (best != spare.end()) {
        surface.pixels = std::move(*best);
        spare.erase(best);
        surface.pixels.resize(count);
    } else {
        surface.pixels.resize(count);
    }
    return surface;
}

void RecycleSurface(Surface&& surface)
{
    constexpr std::size_t kSpareBlocks = 16;
    constexpr std::size_t kLargestSpare = std::size_t{1} << 22;  // pixels
    std::vector<std::vector<std::uint32_t>>& spare = SpareMemory();
    if (surface.pixels.capacity() == 0 || surface.pixels.capacity() > kLargestSpare) {
        return;
    }
    if (spare.size() == kSpareBlocks) {
        spare.erase(spare.begin());
    }
    spare.push_back(std::move(surface.pixels));
}

PixelFormat DisplayFormat()
{
    return FormatForDepth(GetDisplayMode().bitsPerPixel);
}

Surface& ScreenSurface()
{
    Screen& screen = ScreenState();
    const DisplayMode mode = GetDisplayMode();
    if (!screen.made || mode.width != screen.madeFor.width || mode.height != screen.madeFor.height ||
        mode.bitsPerPixel != screen.madeFor.bitsPerPixel) {
        const int width = std::clamp(mode.width, 1, 1 << 13);
        const int height = std::clamp(mode.height, 1, 1 << 13);
        screen.surface = MakeSurface(width, height, FormatForDepth(mode.bitsPerPixel));
        std::fill(screen.surface.pixels.begin(), screen.surface.pixels.end(),
                  ToDevice(screen.surface.format, GetSysColor(COLOR_BACKGROUND)));
        screen.madeFor = mode;
        screen.made = true;
    }
    return screen.surface;
}

}  // namespace winsim::detail
