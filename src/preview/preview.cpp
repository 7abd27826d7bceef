#include "preview/preview.h"

#include "driver/mode_tables.h"
#include "library/resource_library.h"
#include "records/page_records.h"

namespace {

const int kSliderStep = 10;
const int kScreenLeft = 16;
const int kScreenTop = 17;
const int kOverlayLeft = 16;
const int kOverlayTop = 121;

struct CacheSlot {
    PreviewBitmapId id;
    PreviewBitmap bitmap;
};

// In the order the cache releases them.
CacheSlot gCache[] = {
    {MonitorBitmap, {nullptr, 0, 0}},
    {DesktopBitmap, {nullptr, 0, 0}},
    {OverlayBitmap, {nullptr, 0, 0}},
};

// The preview's own subclass record: the control and its procedure from before.
HWND gPreviewControl;
WNDPROC gPrevPreviewProc;

CacheSlot* FindSlot(PreviewBitmapId id)
{
    for (CacheSlot& slot : gCache) {
        if (slot.id == id) {
            return &slot;
        }
    }
    return nullptr;
}

// FillRect takes a system colour as the brush value index + 1, so that index 0 does not read
// as a null brush.
HBRUSH SystemColourBrush(int index)
{
    return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(index + 1));
}

int TrackbarPosition(HWND trackbar)
{
    return static_cast<int>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
}

int TrackbarMaximum(HWND trackbar)
{
    return static_cast<int>(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0));
}

// A memory DC with a surface of its own, compatible with `reference`.
struct Surface {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
};

Surface CreateSurface(HDC reference, int width, int height, bool monochrome)
{
    Surface surface = {CreateCompatibleDC(reference), nullptr, nullptr};
    surface.bitmap = monochrome ? CreateBitmap(width, height, 1, 1, nullptr)
                                : CreateCompatibleBitmap(reference, width, height);
    if (surface.dc != nullptr && surface.bitmap != nullptr) {
        surface.previous = SelectObject(surface.dc, surface.bitmap);
    }
    return surface;
}

bool IsUsable(const Surface& surface)
{
    return surface.dc != nullptr && surface.bitmap != nullptr;
}

void ReleaseSurface(Surface& surface)
{
    if (surface.dc != nullptr && surface.previous != nullptr) {
        SelectObject(surface.dc, surface.previous);
    }
    if (surface.bitmap != nullptr) {
        DeleteObject(surface.bitmap);
    }
    if (surface.dc != nullptr) {
        DeleteDC(surface.dc);
    }
    surface = Surface{nullptr, nullptr, nullptr};
}

// A memory DC that shows a cached bitmap as a source.
struct Source {
    HDC dc;
    HGDIOBJ previous;
};

Source SelectSource(HDC reference, HBITMAP bitmap)
{
    Source source = {CreateCompatibleDC(reference), nullptr};
    if (source.dc != nullptr && bitmap != nullptr) {
        source.previous = SelectObject(source.dc, bitmap);
    }
    return source;
}

void ReleaseSource(Source& source)
{
    if (source.dc != nullptr) {
        if (source.previous != nullptr) {
            SelectObject(source.dc, source.previous);
        }
        DeleteDC(source.dc);
    }
    source = Source{nullptr, nullptr};
}

void FillWhole(HDC dc, int width, int height, HBRUSH brush)
{
    RECT whole = {0, 0, width, height};
    FillRect(dc, &whole, brush);
}

// StretchBlt that issues nothing when an extent has shrunk to nothing.
void StretchWhenVisible(HDC destination, int width, int height, HDC source, int sourceWidth, int sourceHeight)
{
    if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) {
        return;
    }
    StretchBlt(destination, 0, 0, width, height, source, 0, 0, sourceWidth, sourceHeight, SRCCOPY);
}

void DrawOverlay(HDC canvas)
{
    PreviewBitmap overlay = GetPreviewBitmap(OverlayBitmap);
    if (overlay.handle == nullptr) {
        return;
    }
    Source source = SelectSource(canvas, overlay.handle);
    if (source.dc != nullptr && source.previous != nullptr) {
        BitBlt(canvas, kOverlayLeft, kOverlayTop, overlay.width, overlay.height, source.dc, 0, 0, SRCCOPY);
    }
    ReleaseSource(source);
}

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        PaintPreview(window, dc);
        EndPaint(window, &paint);
        return 0;
    }
    return CallWindowProcA(gPrevPreviewProc, window, message, wParam, lParam);
}

}  // namespace

PreviewBitmap GetPreviewBitmap(PreviewBitmapId id)
{
    CacheSlot* slot = FindSlot(id);
    if (slot == nullptr) {
        return PreviewBitmap{nullptr, 0, 0};
    }
    if (slot->bitmap.handle == nullptr) {
        HBITMAP handle = LoadBitmapA(GetResourceLibrary(), MAKEINTRESOURCEA(id));
        BITMAP info = {};
        if (handle != nullptr && GetObjectA(handle, sizeof info, &info) != 0) {
            slot->bitmap = PreviewBitmap{handle, info.bmWidth, info.bmHeight};
        } else if (handle != nullptr) {
            DeleteObject(handle);
        }
    }
    return slot->bitmap;
}

void ReleasePreviewBitmaps()
{
    for (CacheSlot& slot : gCache) {
        if (slot.bitmap.handle != nullptr) {
            DeleteObject(slot.bitmap.handle);
            slot.bitmap = PreviewBitmap{nullptr, 0, 0};
        }
    }
}

void SubclassPreview(HWND window)
{
    gPreviewControl = window;
    LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreviewProc));
    gPrevPreviewProc = reinterpret_cast<WNDPROC>(previous);
}

void RestorePreview()
{
    // By detach the control is usually gone, and its handle may name another window by then.
    if (gPrevPreviewProc != nullptr && IsWindow(gPreviewControl) &&
        GetWindowLongPtrA(gPreviewControl, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(PreviewProc)) {
        SetWindowLongPtrA(gPreviewControl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gPrevPreviewProc));
    }
}

void TransparentBlit(HDC destination, HBITMAP bitmap, int x, int y, COLORREF key, int width, int height,
                     HDC source)
{
    if (bitmap != nullptr) {
        BITMAP info = {};
        if (GetObjectA(bitmap, sizeof info, &info) == 0) {
            return;
        }
        width = info.bmWidth;
        height = info.bmHeight;
    }
    SetMapMode(source, GetMapMode(destination));
    POINT extent = {width, height};
    DPtoLP(source, &extent, 1);
    width = extent.x;
    height = extent.y;
    if (width <= 0 || height <= 0) {
        return;
    }

    Surface mask = CreateSurface(destination, width, height, true);
    Surface inverse = CreateSurface(destination, width, height, true);
    Surface work = CreateSurface(destination, width, height, false);
    Surface saved = CreateSurface(destination, width, height, false);
    // The source is changed in place and put back from the saved copy; without every
    // surface it would not come back whole, so nothing is drawn then.
    if (IsUsable(mask) && IsUsable(inverse) && IsUsable(work) && IsUsable(saved)) {
        BitBlt(saved.dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
        COLORREF previousBackground = SetBkColor(source, key);
        BitBlt(mask.dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
        SetBkColor(source, previousBackground);
        BitBlt(inverse.dc, 0, 0, width, height, mask.dc, 0, 0, NOTSRCCOPY);
        BitBlt(work.dc, 0, 0, width, height, destination, x, y, SRCCOPY);
        BitBlt(work.dc, 0, 0, width, height, mask.dc, 0, 0, SRCAND);
        BitBlt(source, 0, 0, width, height, inverse.dc, 0, 0, SRCAND);
        BitBlt(work.dc, 0, 0, width, height, source, 0, 0, SRCPAINT);
        BitBlt(destination, x, y, width, height, work.dc, 0, 0, SRCCOPY);
        BitBlt(source, 0, 0, width, height, saved.dc, 0, 0, SRCCOPY);
    }
    ReleaseSurface(saved);
    ReleaseSurface(work);
    ReleaseSurface(inverse);
    ReleaseSurface(mask);
}

void PaintPreview(HWND window, HDC paintDc)
{
    HBRUSH keyBrush = CreateSolidBrush(kKeyColour);
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;

    Surface shrunk = CreateSurface(paintDc, width, height, false);
    Surface view = CreateSurface(paintDc, width, height, false);
    Surface canvas = CreateSurface(paintDc, width, height, false);
    PreviewBitmap monitor = GetPreviewBitmap(MonitorBitmap);
    PreviewBitmap desktop = GetPreviewBitmap(DesktopBitmap);
    Source monitorSource = SelectSource(paintDc, monitor.handle);
    Source desktopSource = SelectSource(paintDc, desktop.handle);

    FillWhole(shrunk.dc, width, height, keyBrush);
    FillWhole(view.dc, width, height, keyBrush);

    HWND desktopSlider = GetDesktopSlider();
    HWND screenSlider = GetScreenSlider();
    const int cx = desktop.width;
    const int cy = desktop.height;
    if (desktopSource.previous != nullptr) {
        const int d = kSliderStep * TrackbarPosition(desktopSlider);
        StretchWhenVisible(shrunk.dc, cx - d, cy - d, desktopSource.dc, cx, cy);
    }
    const int e = kSliderStep * (TrackbarMaximum(screenSlider) - TrackbarPosition(screenSlider));
    StretchWhenVisible(view.dc, cx, cy, shrunk.dc, cx - e, cy - e);

    FillWhole(canvas.dc, width, height, SystemColourBrush(COLOR_BTNFACE));
    // Without its own surface the canvas DC holds a monochrome bitmap, and the mask method's
    // saved copy, made like the canvas, could not give the cached monitor back in colour.
    const bool canvasUsable = IsUsable(canvas);
    if (canvasUsable && monitorSource.previous != nullptr) {
        TransparentBlit(canvas.dc, monitor.handle, 0, 0, kKeyColour, 0, 0, monitorSource.dc);
    }
    RECT screen = {kScreenLeft, kScreenTop, kScreenLeft + cx, kScreenTop + cy};
    FillRect(canvas.dc, &screen, SystemColourBrush(COLOR_BACKGROUND));
    if (canvasUsable && desktop.handle != nullptr) {
        TransparentBlit(canvas.dc, desktop.handle, kScreenLeft, kScreenTop, kKeyColour, 0, 0, view.dc);
    }
    if (ScreenMatchesDesktop(TrackbarPosition(screenSlider), TrackbarPosition(desktopSlider))) {
        DrawOverlay(canvas.dc);
    }
    BitBlt(paintDc, 0, 0, width, height, canvas.dc, 0, 0, SRCCOPY);

    ReleaseSource(desktopSource);
    ReleaseSource(monitorSource);
    ReleaseSurface(canvas);
    ReleaseSurface(view);
    ReleaseSurface(shrunk);
    if (keyBrush != nullptr) {
        DeleteObject(keyBrush);
    }
}

void InvalidatePreview()
{
    // A null window would have the system redraw every window there is.
    HWND preview = PageControl(RolePreviewControl);
    if (preview != nullptr) {
        InvalidateRect(preview, nullptr, FALSE);
    }
}

void RefreshPreview()
{
    ReleasePreviewBitmaps();
    InvalidatePreview();
}

#ifdef KVSETTNG_TEST_ACCESSORS
HWND GetPreviewControl()
{
    return gPreviewControl;
}

WNDPROC GetPrevPreviewProc()
{
    return gPrevPreviewProc;
}
#endif
