// Pixel surfaces: what bitmaps and the screen hold. Every pixel is one 32-bit device value in
// its surface's format (the bits the hardware would store), so that raster operations work on
// the stored bits as real hardware does and colours compare as they do at that depth.
#pragma once

#include <winsim/win32.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace winsim::detail {

enum class PixelFormat : std::uint8_t {
    Mono,      // 1 bit: 0 black, 1 white
    Palette4,  // index into the 16 VGA colours
    Palette8,  // index into the fixed 256-entry palette
    Rgb555,    // 15 bits
    Rgb565,    // 16 bits
    Rgb24,     // 0x00BBGGRR, as a COLORREF
    Rgb32,     // 0x00BBGGRR, as a COLORREF
};

PixelFormat FormatForDepth(int bitsPerPixel);
int BitsPerPixel(PixelFormat format);
// The bits a pixel of the format can hold.
std::uint32_t ValueMask(PixelFormat format);
// The device value that shows the colour best (mono: the nearer of black and white).
std::uint32_t ToDevice(PixelFormat format, COLORREF colour);
COLORREF ToColour(PixelFormat format, std::uint32_t value);

struct Surface {
    int width = 0;
    int height = 0;
    PixelFormat format = PixelFormat::Mono;
    // Row after row from the top. Windows leaves a new bitmap's pixels undefined: fresh
    // memory is black, memory that a deleted bitmap left keeps what it held.
    std::vector<std::uint32_t> pixels;

    std::uint32_t* Row(int y)
    {
        return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    }
    const std::uint32_t* Row(int y) const
    {
        return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    }
};

// The largest surface winsim makes, in pixels; larger requests fail as out of memory.
constexpr std::int64_t kMaxSurfacePixels = std::int64_t{1} << 26;

Surface MakeSurface(int width, int height, PixelFormat format);
// Keeps a deleted surface's memory for the next MakeSurface, as a display driver keeps its
// off-screen memory, so that a paint's short-lived bitmaps cost no fresh pages.
void RecycleSurface(Surface&& surface);
// The desktop's pixels at the display's size and depth; made anew, filled with the desktop
// colour, whenever the display mode has changed since it was last used.
Surface& ScreenSurface();
// The display's pixel format now.
PixelFormat DisplayFormat();

}  // namespace winsim::detail
