// Device contexts: memory DCs, the screen's and a window's DC, and the state every DC keeps
// (colours, mapping mode, stretching mode); single pixels.
#include "gdi_dcs.h"

#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <cstdint>

#include "faults.h"
#include "gdi_objects.h"
#include "user_windows.h"

namespace winsim::detail {
namespace {

RECT Bounds(const Surface& surface)
{
    return RECT{0, 0, surface.width, surface.height};
}

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.right < r.left) {
        r.right = r.left;
    }
    if (r.bottom < r.top) {
        r.bottom = r.top;
    }
    return r;
}

bool Inside(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Logical units per 96 device pixels for the fixed mapping modes, and whether y runs up.
struct Scale {
    int units;
    bool yUp;
};

Scale ScaleOf(int mapMode)
{
    switch (mapMode) {
        case MM_LOMETRIC:
            return {254, true};
        case MM_HIMETRIC:
            return {2540, true};
        case MM_LOENGLISH:
            return {100, true};
        case MM_HIENGLISH:
            return {1000, true};
        case MM_TWIPS:
            return {1440, true};
        default:
            return {96, false};  // MM_TEXT; the scalable modes start at one unit per pixel
    }
}

LONG ScaleRounded(LONG value, int numerator, int denominator)
{
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    return static_cast<LONG>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

BOOL Convert(HDC dc, LPPOINT points, int count, bool toLogical)
{
    const DeviceContext* context = FindDeviceContext(dc);
    if (context == nullptr || (points == nullptr && count > 0)) {
        return FALSE;
    }
    const Scale scale = ScaleOf(context->mapMode);
    for (int i = 0; i < count; ++i) {
        POINT& point = points[i];
        if (toLogical) {
            point.x = ScaleRounded(point.x, scale.units, 96);
            point.y = ScaleRounded(point.y, scale.units, 96);
        } else {
            point.x = ScaleRounded(point.x, 96, scale.units);
            point.y = ScaleRounded(point.y, 96, scale.units);
        }
        if (scale.yUp) {
            point.y = -point.y;
        }
    }
    return TRUE;
}

}  // namespace

std::optional<DrawTarget> ResolveTarget(HDC dc)
{
    DeviceContext* context = FindDeviceContext(dc);
    if (context == nullptr) {
        return std::nullopt;
    }
    DrawTarget target;
    target.context = context;
    switch (context->kind) {
        case DcKind::Memory:
            target.surface = FindBitmapSurface(SelectedObject(dc, GdiKind::Bitmap));
            if (target.surface == nullptr) {
                return std::nullopt;
            }
            target.clip = Bounds(*target.surface);
            return target;
        case DcKind::Screen:
            target.surface = &ScreenSurface();
            target.clip = Bounds(*target.surface);
            return target;
        case DcKind::Window:
        case DcKind::Paint: {
            const Window* window = LookupWindow(context->window);
            if (window == nullptr) {
                return std::nullopt;
            }
            target.surface = &ScreenSurface();
            const RECT client = ClientRectOnScreen(*window);
            target.originX = client.left;
            target.originY = client.top;
            target.clip = Intersect(client, Bounds(*target.surface));
            return target;
        }
    }
    return std::nullopt;
}

}  // namespace winsim::detail

using winsim::detail::DcKind;
using winsim::detail::DeviceContext;
using winsim::detail::FindDeviceContext;

HDC WINAPI CreateCompatibleDC(HDC dc)
{
    const bool failing = winsim::detail::FailableCall("CreateCompatibleDC");
    if (dc != nullptr && FindDeviceContext(dc) == nullptr) {
        return nullptr;
    }
    if (failing || winsim::detail::ConsumeFault(winsim::Fault::CreateDc)) {
        return nullptr;
    }
    return winsim::detail::CreateDeviceContext(DcKind::Memory, nullptr);
}

BOOL WINAPI DeleteDC(HDC dc)
{
    const DeviceContext* context = FindDeviceContext(dc);
    if (context == nullptr || context->kind != DcKind::Memory) {
        return FALSE;
    }
    winsim::detail::DropDcSelections(dc);
    return winsim::detail::DestroyDeviceContext(dc) ? TRUE : FALSE;
}

HDC WINAPI GetDC(HWND window)
{
    const bool failing = winsim::detail::FailableCall("GetDC");
    if (window != nullptr && !IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (failing ||
        winsim::detail::ConsumeFault(window == nullptr ? winsim::Fault::ScreenDc : winsim::Fault::CreateDc)) {
        return nullptr;
    }
    return winsim::detail::CreateDeviceContext(window == nullptr ? DcKind::Screen : DcKind::Window, window);
}

int WINAPI ReleaseDC(HWND /*window*/, HDC dc)
{
    const auto* context = winsim::detail::FindDeviceContext(dc);
    if (context == nullptr || (context->kind != DcKind::Screen && context->kind != DcKind::Window)) {
        return 0;
    }
    winsim::detail::DropDcSelections(dc);
    winsim::detail::DestroyDeviceContext(dc);
    return 1;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour)
{
    const bool failing = winsim::detail::FailableCall("SetBkColor");
    DeviceContext* context = FindDeviceContext(dc);
    if (failing || context == nullptr) {
        return CLR_INVALID;
    }
    return std::exchange(context->background, colour);
}

COLORREF WINAPI GetBkColor(HDC dc)
{
    const DeviceContext* context = FindDeviceContext(dc);
    return context == nullptr ? CLR_INVALID : context->background;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour)
{
    DeviceContext* context = FindDeviceContext(dc);
    if (context == nullptr) {
        return CLR_INVALID;
    }
    return std::exchange(context->text, colour);
}

COLORREF WINAPI GetTextColor(HDC dc)
{
    const DeviceContext* context = FindDeviceContext(dc);
    return context == nullptr ? CLR_INVALID : context->text;
}

int WINAPI GetMapMode(HDC dc)
{
    const bool failing = winsim::detail::FailableCall("GetMapMode");
    const DeviceContext* context = FindDeviceContext(dc);
    return failing || context == nullptr ? 0 : context->mapMode;
}

int WINAPI SetMapMode(HDC dc, int mode)
{
    const bool failing = winsim::detail::FailableCall("SetMapMode");
    DeviceContext* context = FindDeviceContext(dc);
    if (failing || context == nullptr || mode < MM_TEXT || mode > MM_ANISOTROPIC) {
        return 0;
    }
    return std::exchange(context->mapMode, mode);
}

BOOL WINAPI DPtoLP(HDC dc, LPPOINT points, int count)
{
    if (winsim::detail::FailableCall("DPtoLP")) {
        return FALSE;
    }
    return winsim::detail::Convert(dc, points, count, true);
}

BOOL WINAPI LPtoDP(HDC dc, LPPOINT points, int count)
{
    return winsim::detail::Convert(dc, points, count, false);
}

int WINAPI SetStretchBltMode(HDC dc, int mode)
{
    DeviceContext* context = FindDeviceContext(dc);
    if (context == nullptr || mode < BLACKONWHITE || mode > HALFTONE) {
        return 0;
    }
    return std::exchange(context->stretchMode, mode);
}

int WINAPI GetStretchBltMode(HDC dc)
{
    const DeviceContext* context = FindDeviceContext(dc);
    return context == nullptr ? 0 : context->stretchMode;
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y)
{
    const auto target = winsim::detail::ResolveTarget(dc);
    if (!target) {
        return CLR_INVALID;
    }
    const int sx = x + target->originX;
    const int sy = y + target->originY;
    if (!winsim::detail::Inside(target->clip, sx, sy)) {
        return CLR_INVALID;
    }
    const winsim::detail::Surface& surface = *target->surface;
    return winsim::detail::ToColour(surface.format, surface.Row(sy)[sx]);
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF colour)
{
    const auto target = winsim::detail::ResolveTarget(dc);
    if (!target) {
        return CLR_INVALID;
    }
    const int sx = x + target->originX;
    const int sy = y + target->originY;
    if (!winsim::detail::Inside(target->clip, sx, sy)) {
        return CLR_INVALID;
    }
    winsim::detail::Surface& surface = *target->surface;
    const std::uint32_t value = winsim::detail::ToDevice(surface.format, colour);
    surface.Row(sy)[sx] = value;
    return winsim::detail::ToColour(surface.format, value);
}
