// Reading back pixels for tests and tools, and writing them as PNG files.
#include <png.h>
#include <winsim/control.h>
#include <winsim/win32.h>

#include <cstdint>
#include <string>
#include <vector>

#include "device_contexts.h"
#include "gdi_dcs.h"
#include "gdi_objects.h"
#include "gdi_surfaces.h"

namespace winsim {
namespace {

// The part of a surface from (left, top), width x height; pixels outside it read invalid.
Image ReadPart(const detail::Surface& surface, int left, int top, int width, int height)
{
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), CLR_INVALID);
    for (int y = 0; y < height; ++y) {
        const int sy = top + y;
        if (sy < 0 || sy >= surface.height) {
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const int sx = left + x;
            if (sx >= 0 && sx < surface.width) {
                image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                             static_cast<std::size_t>(x)] =
                    detail::ToColour(surface.format, surface.Row(sy)[sx]);
            }
        }
    }
    return image;
}

}  // namespace

COLORREF Image::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return CLR_INVALID;
    }
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
}

Image ReadPixels(HDC dc)
{
    const auto target = detail::ResolveTarget(dc);
    if (!target) {
        return Image{};
    }
    const detail::DeviceContext* context = target->context;
    if (context->kind == detail::DcKind::Window || context->kind == detail::DcKind::Paint) {
        RECT client{};
        GetClientRect(context->window, &client);
        return ReadPart(*target->surface, target->originX, target->originY, client.right, client.bottom);
    }
    return ReadPart(*target->surface, 0, 0, target->surface->width, target->surface->height);
}

Image ReadBitmap(HBITMAP bitmap)
{
    const detail::Surface* surface = detail::FindBitmapSurface(bitmap);
    if (surface == nullptr) {
        return Image{};
    }
    return ReadPart(*surface, 0, 0, surface->width, surface->height);
}

Image ReadScreen()
{
    const detail::Surface& screen = detail::ScreenSurface();
    return ReadPart(screen, 0, 0, screen.width, screen.height);
}

bool WritePng(const Image& image, const std::string& path)
{
    if (image.width <= 0 || image.height <= 0) {
        return false;
    }
    std::vector<png_byte> rgb;
    rgb.reserve(image.pixels.size() * 3);
    for (COLORREF pixel : image.pixels) {
        const COLORREF shown = pixel == CLR_INVALID ? RGB(0, 0, 0) : pixel;
        rgb.push_back(GetRValue(shown));
        rgb.push_back(GetGValue(shown));
        rgb.push_back(GetBValue(shown));
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    const int written = png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr);
    png_image_free(&png);
    return written != 0;
}

}  // namespace winsim
