// Device contexts and bitmaps: what a memory DC starts with and makes, selection rules,
// GetObjectA, DC state, window DCs on the screen, live counts and injected failures; and
// the fonts that only controls and dialogs keep.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include "gdi_test_support.h"

namespace {

using gdi_test::Canvas;

int BitsOf(HBITMAP bitmap)
{
    BITMAP info{};
    return GetObjectA(bitmap, sizeof info, &info) == static_cast<int>(sizeof info) ? info.bmBitsPixel : -1;
}

class GdiDcTest : public ::testing::Test {
protected:
    void SetUp() override { winsim::SetDisplayMode({640, 480, 24, 60}); }
    void TearDown() override { winsim::ClearFaults(); }
};

TEST_F(GdiDcTest, AMemoryDcMakesBitmapsLikeTheOneSelectedIntoIt)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP fromFresh = CreateCompatibleBitmap(memory, 4, 4);
    EXPECT_EQ(BitsOf(fromFresh), 1);
    HBITMAP colour = CreateCompatibleBitmap(screen, 4, 4);
    EXPECT_EQ(BitsOf(colour), 24);
    HGDIOBJ original = SelectObject(memory, colour);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(original, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 1);
    EXPECT_EQ(info.bmHeight, 1);
    EXPECT_EQ(info.bmBitsPixel, 1);
    HBITMAP fromColour = CreateCompatibleBitmap(memory, 4, 4);
    EXPECT_EQ(BitsOf(fromColour), 24);
    // An empty size gives the shared default bitmap, which is not counted.
    const int live = winsim::LiveGdiObjects(winsim::GdiKind::Bitmap);
    EXPECT_EQ(CreateCompatibleBitmap(memory, 0, 5), original);
    EXPECT_EQ(CreateBitmap(0, 0, 1, 1, nullptr), original);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), live);
    EXPECT_EQ(CreateCompatibleBitmap(memory, -1, 5), nullptr);

    EXPECT_EQ(SelectObject(memory, original), colour);
    for (HBITMAP bitmap : {fromFresh, colour, fromColour}) {
        EXPECT_TRUE(DeleteObject(bitmap));
    }
    EXPECT_TRUE(DeleteDC(memory));
    ReleaseDC(nullptr, screen);
}

TEST_F(GdiDcTest, ABitmapIsSelectedIntoOneMemoryDcAtATime)
{
    Canvas first(3, 3);
    HDC second = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(second, first.bitmap), nullptr);
    EXPECT_EQ(SelectObject(first.dc, first.bitmap), first.bitmap);
    HDC screen = GetDC(nullptr);
    HBITMAP loose = CreateBitmap(2, 2, 1, 1, nullptr);
    EXPECT_EQ(SelectObject(screen, loose), nullptr);
    ReleaseDC(nullptr, screen);

    // Deleted while selected, it lives on until its DC lets go.
    HGDIOBJ previous = SelectObject(second, loose);
    ASSERT_NE(previous, nullptr);
    const int live = winsim::LiveGdiObjects(winsim::GdiKind::Bitmap);
    EXPECT_TRUE(DeleteObject(loose));
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), live);
    EXPECT_TRUE(DeleteDC(second));
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), live - 1);
    EXPECT_FALSE(DeleteDC(second));
}

TEST_F(GdiDcTest, GetObjectDescribesBitmapsAndBrushesWhole)
{
    HBITMAP mono = CreateBitmap(17, 3, 1, 1, nullptr);
    BITMAP info{};
    EXPECT_EQ(GetObjectA(mono, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(GetObjectA(mono, sizeof info - 1, &info), 0);
    ASSERT_EQ(GetObjectA(mono, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidthBytes, 4);  // rows padded to 16-bit words
    EXPECT_EQ(info.bmPlanes, 1);
    EXPECT_EQ(info.bmBits, nullptr);
    DeleteObject(mono);

    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    LOGBRUSH logBrush{};
    ASSERT_EQ(GetObjectA(brush, sizeof logBrush, &logBrush), static_cast<int>(sizeof logBrush));
    EXPECT_EQ(logBrush.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(logBrush.lbColor, RGB(1, 2, 3));
    DeleteObject(brush);
    // The system's brushes are its own.
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    ASSERT_EQ(GetObjectA(face, sizeof logBrush, &logBrush), static_cast<int>(sizeof logBrush));
    EXPECT_EQ(logBrush.lbColor, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
    EXPECT_EQ(GetSysColorBrush(99), nullptr);
}

TEST_F(GdiDcTest, DcStateAndMappingModes)
{
    Canvas canvas(2, 2);
    EXPECT_EQ(GetBkColor(canvas.dc), RGB(255, 255, 255));
    EXPECT_EQ(SetBkColor(canvas.dc, RGB(1, 2, 3)), RGB(255, 255, 255));
    EXPECT_EQ(GetBkColor(canvas.dc), RGB(1, 2, 3));
    EXPECT_EQ(SetTextColor(canvas.dc, RGB(4, 5, 6)), RGB(0, 0, 0));
    EXPECT_EQ(GetStretchBltMode(canvas.dc), BLACKONWHITE);
    EXPECT_EQ(GetMapMode(canvas.dc), MM_TEXT);
    POINT points[2] = {{7, -3}, {100, 50}};
    EXPECT_TRUE(DPtoLP(canvas.dc, points, 2));
    EXPECT_EQ(points[0].x, 7);
    EXPECT_EQ(points[1].y, 50);
    EXPECT_EQ(SetMapMode(canvas.dc, MM_LOMETRIC), MM_TEXT);
    POINT inch = {96, 96};
    EXPECT_TRUE(DPtoLP(canvas.dc, &inch, 1));
    EXPECT_EQ(inch.x, 254);
    EXPECT_EQ(inch.y, -254);
    EXPECT_TRUE(LPtoDP(canvas.dc, &inch, 1));
    EXPECT_EQ(inch.x, 96);
    EXPECT_EQ(inch.y, 96);
    EXPECT_EQ(SetMapMode(canvas.dc, 99), 0);

    HDC gone = reinterpret_cast<HDC>(static_cast<INT_PTR>(0x0BAD0000));
    EXPECT_EQ(SetBkColor(gone, 0), CLR_INVALID);
    EXPECT_EQ(GetMapMode(gone), 0);
    EXPECT_FALSE(DPtoLP(gone, points, 1));
    EXPECT_EQ(GetPixel(gone, 0, 0), CLR_INVALID);
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        const RECT all{-50, -50, 500, 500};
        FillRect(dc, &all, reinterpret_cast<HBRUSH>(COLOR_ACTIVECAPTION + 1));
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND PlainWindow(int x, int y, int width, int height)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PlainProc;
    windowClass.lpszClassName = "GdiPlain";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "GdiPlain", "", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                           nullptr, nullptr);
}

TEST_F(GdiDcTest, WindowDcsDrawIntoTheScreenClippedToTheClientArea)
{
    HWND window = PlainWindow(100, 50, 20, 10);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);
    const winsim::Image screen = winsim::ReadScreen();
    ASSERT_EQ(screen.width, 640);
    EXPECT_EQ(screen.At(100, 50), GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(screen.At(119, 59), GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(screen.At(120, 59), GetSysColor(COLOR_BACKGROUND));
    EXPECT_EQ(screen.At(99, 50), GetSysColor(COLOR_BACKGROUND));

    HDC dc = GetDC(window);
    EXPECT_EQ(SetPixel(dc, 2, 3, RGB(9, 9, 9)), RGB(9, 9, 9));
    EXPECT_EQ(SetPixel(dc, 20, 3, RGB(9, 9, 9)), CLR_INVALID);
    EXPECT_EQ(winsim::ReadScreen().At(102, 53), RGB(9, 9, 9));
    const winsim::Image client = winsim::ReadPixels(dc);
    EXPECT_EQ(client.width, 20);
    EXPECT_EQ(client.height, 10);
    EXPECT_EQ(client.At(2, 3), RGB(9, 9, 9));
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_EQ(winsim::LivePaintDcs(), 0);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::DeviceContext), 0);
}

TEST_F(GdiDcTest, InjectedFailuresOfDcsBitmapsAndBrushes)
{
    const int dcs = winsim::LiveGdiObjects(winsim::GdiKind::DeviceContext);
    winsim::FailNext(winsim::Fault::CreateDc);
    EXPECT_EQ(CreateCompatibleDC(nullptr), nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(dc, nullptr);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::DeviceContext), dcs + 1);
    winsim::FailNext(winsim::Fault::CreateBitmap, 2);
    EXPECT_EQ(CreateBitmap(2, 2, 1, 1, nullptr), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 2, 2), nullptr);
    winsim::FailNext(winsim::Fault::CreateBrush);
    EXPECT_EQ(CreateSolidBrush(0), nullptr);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), 0);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Brush), 0);
    DeleteDC(dc);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::DeviceContext), dcs);
}

// A window's default procedure keeps no font; the controls that show text, and dialogs,
// keep their own.
TEST_F(GdiDcTest, OnlyControlsAndDialogsKeepAFont)
{
    HWND plain = PlainWindow(0, 0, 10, 10);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageA(plain, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    EXPECT_EQ(SendMessageA(plain, WM_GETFONT, 0, 0), 0);
    HWND trackbar =
        CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD, 0, 0, 50, 20, plain, nullptr, nullptr, nullptr);
    SendMessageA(trackbar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    EXPECT_EQ(SendMessageA(trackbar, WM_GETFONT, 0, 0), 0);
    for (const char* className : {"STATIC", "BUTTON", "COMBOBOX"}) {
        HWND control =
            CreateWindowExA(0, className, "text", WS_CHILD, 0, 0, 50, 20, plain, nullptr, nullptr, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        EXPECT_EQ(SendMessageA(control, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font)) << className;
    }
}

}  // namespace
