// winsim's control surface for graphics: reading back the pixels that DCs and bitmaps hold,
// writing them as PNG files, and the log of blits. Included by control.h.
//
// Pixels are kept as the display's depth stores them, so colours read back are what that
// depth can show: 32 and 24 bits exact; 16 bits as 5-6-5 and 15 bits as 5-5-5 (each field the
// colour's top bits, read back with the top bits repeated below them, so 255 stays 255);
// 8 bits through a fixed palette of the 20 system colours and a 6x6x6 colour cube, 4 bits
// through the 16 VGA colours (each colour becomes the nearest entry; no dithering).
#pragma once

#include <winsim/win32.h>

#include <string>
#include <vector>

namespace winsim {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // row after row from the top

    // The pixel at (x, y); CLR_INVALID outside the image.
    COLORREF At(int x, int y) const;
    bool empty() const { return pixels.empty(); }
};

// What a DC shows in its own coordinates: a memory DC's selected bitmap, a window's or paint
// DC's client area (as the screen holds it), the screen DC's desktop. Empty for no DC.
Image ReadPixels(HDC dc);
// A bitmap's pixels, wherever it is selected; empty for no bitmap.
Image ReadBitmap(HBITMAP bitmap);
// The whole desktop.
Image ReadScreen();
// Writes the image as an 8-bit RGB PNG file; false when it cannot.
bool WritePng(const Image& image, const std::string& path);

// ---- the log of blits ----
struct BlitRecord {
    bool stretch = false;  // StretchBlt, otherwise BitBlt
    HDC destination = nullptr;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    HDC source = nullptr;
    int sourceX = 0;
    int sourceY = 0;
    int sourceWidth = 0;  // BitBlt: the same as width and height
    int sourceHeight = 0;
    DWORD rop = 0;
};
// While on, every BitBlt and StretchBlt call is recorded with its arguments as given.
void LogBlits(bool on);
const std::vector<BlitRecord>& Blits();
void ClearBlits();

}  // namespace winsim
