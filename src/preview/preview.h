// The page's monitor picture: the monitor, the desktop image scaled by the two sliders, and
// the overlay shown while both sliders stand at the same position, composed off-screen.
#pragma once

#include "library/resource_library.h"

// Pure yellow: pixels of exactly this colour are transparent wherever TransparentBlit draws.
const COLORREF kKeyColour = 0x0000FFFF;

// The preview's pictures in the resource library.
enum PreviewBitmapId : int32_t {
    MonitorBitmap = ResMonitorBitmap,
    OverlayBitmap = ResOverlayBitmap,
    DesktopBitmap = ResDesktopBitmap,
};

struct PreviewBitmap {
    HBITMAP handle;
    int32_t width;
    int32_t height;
};

// The cached bitmap, loaded on first use; an empty slot (null handle, 0 x 0) when it cannot
// be loaded, and the next call tries again.
PreviewBitmap GetPreviewBitmap(PreviewBitmapId id);
void ReleasePreviewBitmaps();

// Paints the control through the preview from now on, until RestorePreview.
void SubclassPreview(HWND window);
void RestorePreview();

#ifdef KVSETTNG_TEST_ACCESSORS
// For tests; not built into KVSETTNG.DLL. The preview's subclass record.
HWND GetPreviewControl();
WNDPROC GetPrevPreviewProc();
#endif
void PaintPreview(HWND window, HDC paintDc);
void TransparentBlit(HDC destination, HBITMAP bitmap, int x, int y, COLORREF key, int width, int height,
                     HDC source);
void InvalidatePreview();
void RefreshPreview();
