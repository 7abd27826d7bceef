// What winsim's graphics tests share: a memory DC with a bitmap of its own.
#pragma once

#include <winsim/control.h>

namespace gdi_test {

// A memory DC holding a new bitmap: colour at the display's depth, or monochrome.
class Canvas {
public:
    Canvas(int width, int height, bool monochrome = false)
    {
        dc = CreateCompatibleDC(nullptr);
        if (monochrome) {
            bitmap = CreateBitmap(width, height, 1, 1, nullptr);
        } else {
            HDC screen = GetDC(nullptr);
            bitmap = CreateCompatibleBitmap(screen, width, height);
            ReleaseDC(nullptr, screen);
        }
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void Fill(COLORREF colour)
    {
        HBRUSH brush = CreateSolidBrush(colour);
        BITMAP info{};
        GetObjectA(bitmap, sizeof info, &info);
        const RECT all{0, 0, info.bmWidth, info.bmHeight};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }

    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
};

}  // namespace gdi_test
