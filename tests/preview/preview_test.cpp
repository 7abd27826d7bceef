// The preview's pixels, painted through the control's WM_PAINT into the screen and read
// back: the layers, offsets, scaling, key colours and overlay, the bitmap cache across a
// display change and failed loads, extents that shrink to nothing, and the objects a paint
// leaves behind.
#include "preview/preview.h"

#include <gtest/gtest.h>
#include <kvapi/winsim_glue.h>
#include <winsim/control.h>

#include <array>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "driver/mode_tables.h"
#include "driver/startup_queries.h"
#include "library/resource_library.h"
#include "records/page_records.h"
#include "support/component.h"
#include "support/driver.h"

namespace {

namespace fs = std::filesystem;

constexpr int kScreenLeft = 16;
constexpr int kScreenTop = 17;
constexpr int kOverlayLeft = 16;
constexpr int kOverlayTop = 121;
constexpr COLORREF kKey = RGB(255, 255, 0);

// The colour as the display's depth stores it.
COLORREF Displayed(COLORREF colour)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP pixel = CreateBitmap(1, 1, 1, static_cast<UINT>(winsim::GetDisplayMode().bitsPerPixel), nullptr);
    HGDIOBJ previous = SelectObject(dc, pixel);
    const COLORREF shown = SetPixel(dc, 0, 0, colour);
    SelectObject(dc, previous);
    DeleteObject(pixel);
    DeleteDC(dc);
    return shown;
}

bool Inside(int x, int y, int left, int top, int width, int height)
{
    return x >= left && y >= top && x < left + width && y < top + height;
}

// The first pixel where two images differ, described; empty when they are the same.
std::string FirstDifference(const winsim::Image& actual, const std::function<COLORREF(int, int)>& expected)
{
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            if (actual.At(x, y) != expected(x, y)) {
                char text[96];
                snprintf(text, sizeof text, "(%d, %d) is %06X, expected %06X", x, y, actual.At(x, y),
                         expected(x, y));
                return text;
            }
        }
    }
    return {};
}

winsim::Image LoadPicture(int id)
{
    HBITMAP bitmap = LoadBitmapA(GetResourceLibrary(), MAKEINTRESOURCEA(id));
    winsim::Image image = winsim::ReadBitmap(bitmap);
    DeleteObject(bitmap);
    return image;
}

int LiveObjects()
{
    return winsim::LiveGdiObjects(winsim::GdiKind::Font) + winsim::LiveGdiObjects(winsim::GdiKind::Brush) +
           winsim::LiveGdiObjects(winsim::GdiKind::Bitmap) +
           winsim::LiveGdiObjects(winsim::GdiKind::DeviceContext);
}

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

// A page with the two sliders and the preview control, sized to the monitor picture and
// subclassed, with a resource library beside the module.
class PreviewTest : public ::testing::Test {
protected:
    void Start(const char* library, int depth = 32, int sliderMax = 4)
    {
        winsim::SetDisplayMode({1024, 768, depth, 75});
        face_ = Displayed(GetSysColor(COLOR_BTNFACE));
        background_ = Displayed(GetSysColor(COLOR_BACKGROUND));
        system_.Copy(library, "KVSettng.RLB");
        HMODULE module = testsupport::LoadComponentModule();
        ASSERT_NE(module, nullptr);
        ASSERT_TRUE(LoadResourceLibrary(module, "KVSettng.RLB", 2, 2));

        WNDCLASSA pageClass{};
        pageClass.lpfnWndProc = PageProc;
        pageClass.lpszClassName = "PreviewTestPage";
        RegisterClassA(&pageClass);
        page_ = CreateWindowExA(0, "PreviewTestPage", "Settings", WS_POPUP | WS_VISIBLE, 50, 40, 400, 300,
                                nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(page_, nullptr);
        SetSettingsPage(page_);
        desktopSlider_ = Trackbar(1000, 220, sliderMax);
        screenSlider_ = Trackbar(1001, 250, sliderMax);
        SetDesktopSlider(desktopSlider_);
        SetScreenSlider(screenSlider_);
        preview_ = CreateWindowExA(
            0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 184, 170, page_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(RolePreviewControl))), nullptr, nullptr);
        ASSERT_NE(preview_, nullptr);
        staticProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(preview_, GWLP_WNDPROC));
        SubclassPreview(preview_);
        monitor_ = LoadPicture(MonitorBitmap);
        desktop_ = LoadPicture(DesktopBitmap);
        overlay_ = LoadPicture(OverlayBitmap);
        ASSERT_FALSE(monitor_.empty());
        ASSERT_FALSE(desktop_.empty());
        ASSERT_FALSE(overlay_.empty());
    }

    HWND Trackbar(int id, int top, int maximum)
    {
        HWND trackbar =
            CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 200, top, 150, 24, page_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        SendMessageA(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, maximum));
        return trackbar;
    }

    void SetPositions(int desktop, int screen)
    {
        SendMessageA(desktopSlider_, TBM_SETPOS, TRUE, desktop);
        SendMessageA(screenSlider_, TBM_SETPOS, TRUE, screen);
    }

    // Invalidates the preview as the component does and lets it paint, then reads back what
    // the screen shows in its client area.
    winsim::Image Paint()
    {
        InvalidatePreview();
        UpdateWindow(preview_);
        return Shown();
    }

    winsim::Image Shown()
    {
        HDC dc = GetDC(preview_);
        winsim::Image image = winsim::ReadPixels(dc);
        ReleaseDC(preview_, dc);
        return image;
    }

    void Save(const winsim::Image& image, const std::string& name)
    {
        fs::create_directories(KV_PNG_DIR);
        EXPECT_TRUE(winsim::WritePng(image, std::string(KV_PNG_DIR) + "/" + name + ".png"));
    }

    // The monitor with its key showing the button face.
    COLORREF MonitorAt(int x, int y) const
    {
        const COLORREF pixel = monitor_.At(x, y);
        return pixel == kKey ? face_ : pixel;
    }

    // What the preview shows when the desktop picture is drawn unscaled, with or without the
    // overlay.
    COLORREF Unscaled(int x, int y, bool overlay) const
    {
        if (overlay && Inside(x, y, kOverlayLeft, kOverlayTop, overlay_.width, overlay_.height)) {
            return overlay_.At(x - kOverlayLeft, y - kOverlayTop);
        }
        if (Inside(x, y, kScreenLeft, kScreenTop, desktop_.width, desktop_.height)) {
            const COLORREF pixel = desktop_.At(x - kScreenLeft, y - kScreenTop);
            return pixel == kKey ? background_ : pixel;
        }
        return MonitorAt(x, y);
    }

    bool InScreen(int x, int y) const
    {
        return Inside(x, y, kScreenLeft, kScreenTop, desktop_.width, desktop_.height);
    }

    testsupport::Sandbox system_{testsupport::kSystemDirectory};
    COLORREF face_ = CLR_INVALID;
    COLORREF background_ = CLR_INVALID;
    HWND page_ = nullptr;
    HWND desktopSlider_ = nullptr;
    HWND screenSlider_ = nullptr;
    HWND preview_ = nullptr;
    WNDPROC staticProc_ = nullptr;
    winsim::Image monitor_;
    winsim::Image desktop_;
    winsim::Image overlay_;
};

TEST_F(PreviewTest, AtRestTheDesktopIsDrawnUnscaledInTheMonitorsScreen)
{
    Start(KV_RLB_PATH);
    SetPositions(0, 4);
    const winsim::Image shown = Paint();
    ASSERT_EQ(shown.width, 184);
    ASSERT_EQ(shown.height, 170);
    EXPECT_EQ(FirstDifference(shown, [&](int x, int y) { return Unscaled(x, y, false); }), "");
    Save(shown, "rest");
}

TEST_F(PreviewTest, TheScreenStepsCountDownFromTheScreenSlidersOwnMaximum)
{
    Start(KV_RLB_PATH);
    // Fewer screen sizes than desktop sizes: the screen slider ends before the desktop slider.
    SendMessageA(screenSlider_, TBM_SETRANGE, TRUE, MAKELPARAM(0, 2));
    SetPositions(0, 2);
    EXPECT_EQ(FirstDifference(Paint(), [&](int x, int y) { return Unscaled(x, y, false); }), "");
}

TEST_F(PreviewTest, TheOverlayIsDrawnExactlyWhenThePositionsAreEqual)
{
    Start(KV_RLB_PATH);
    for (int position = 0; position <= 4; ++position) {
        SetPositions(position, position);
        const winsim::Image shown = Paint();
        for (int y = 0; y < overlay_.height; ++y) {
            for (int x = 0; x < overlay_.width; ++x) {
                ASSERT_EQ(shown.At(kOverlayLeft + x, kOverlayTop + y), overlay_.At(x, y))
                    << "position " << position << " at (" << x << ", " << y << ")";
            }
        }
        if (position == 2) {
            Save(shown, "equal");
        }
    }
    SetPositions(0, 4);
    EXPECT_EQ(FirstDifference(Paint(), [&](int x, int y) { return Unscaled(x, y, false); }), "");
    SetPositions(1, 4);
    const winsim::Image unequal = Paint();
    EXPECT_EQ(FirstDifference(
                  unequal, [&](int x, int y) { return InScreen(x, y) ? unequal.At(x, y) : MonitorAt(x, y); }),
              "");
}

// The sliders index two lists that differ here: the overlay shows when they stand for the same
// size, whatever their positions.
TEST_F(PreviewTest, TheOverlayFollowsTheSizesWhenTheListsDiffer)
{
    kvapi::AdapterConfig adapter;
    adapter.functions = testsupport::AllFunctions();
    for (const kvapi::Size& size :
         std::vector<kvapi::Size>{{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}}) {
        adapter.modes.push_back({size.width, size.height, 8, 60});
    }
    testsupport::OfferScreensThatFit(adapter, {{800, 600}, {1024, 768}, {1280, 1024}});
    adapter.current = {1024, 768, 8, 60};
    kvapi::InstallInWinsim(testsupport::kSystemDirectory, adapter);
    Start(KV_RLB_PATH, 8);
    ASSERT_EQ(OpenDriverLink(testsupport::LoadComponentModule()), DriverOk);
    RunDriverStartupQueries();
    ASSERT_EQ(CountScreenSizes(), 2);  // 800x600 and 1024x768, those of the desktop in force

    const auto overlayShown = [this] {
        const winsim::Image shown = Paint();
        for (int y = 0; y < overlay_.height; ++y) {
            for (int x = 0; x < overlay_.width; ++x) {
                if (shown.At(kOverlayLeft + x, kOverlayTop + y) != overlay_.At(x, y)) {
                    return false;
                }
            }
        }
        return true;
    };
    SetPositions(1, 0);  // 800x600 on both
    EXPECT_TRUE(overlayShown());
    SetPositions(1, 1);  // 800x600 under 1024x768
    EXPECT_FALSE(overlayShown());
}

TEST_F(PreviewTest, EachDesktopStepLeavesTenMorePixelsOfBackgroundRightAndBelow)
{
    Start(KV_TEST_PICTURES_PATH);
    SetPositions(3, 4);
    const winsim::Image shown = Paint();
    Save(shown, "desktop_3_steps");
    const int width = desktop_.width - 30;
    const int height = desktop_.height - 30;
    for (int y = 0; y < desktop_.height; ++y) {
        for (int x = 0; x < desktop_.width; ++x) {
            const COLORREF pixel = shown.At(kScreenLeft + x, kScreenTop + y);
            if (x >= width || y >= height) {
                ASSERT_EQ(pixel, background_) << "band at (" << x << ", " << y << ")";
            } else if (y != 10 * height / desktop_.height) {
                // Every test desktop pixel has blue 200, so the shrunk image never shows
                // the background; the row of the key spot may.
                ASSERT_EQ(GetBValue(pixel), 200) << "image at (" << x << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(shown.At(kScreenLeft, kScreenTop), desktop_.At(0, 0));
    EXPECT_EQ(FirstDifference(
                  shown, [&](int x, int y) { return InScreen(x, y) ? shown.At(x, y) : MonitorAt(x, y); }),
              "");
}

TEST_F(PreviewTest, EachScreenStepBelowTheMaximumEnlargesTenPixelsLessOfTheTopLeft)
{
    Start(KV_TEST_PICTURES_PATH);
    SetPositions(0, 2);
    const winsim::Image shown = Paint();
    Save(shown, "screen_2_steps");
    const int width = desktop_.width - 20;
    const int height = desktop_.height - 20;
    std::set<int> columns;
    std::set<int> rows;
    for (int y = 0; y < desktop_.height; ++y) {
        for (int x = 0; x < desktop_.width; ++x) {
            const COLORREF pixel = shown.At(kScreenLeft + x, kScreenTop + y);
            if (pixel == background_ || GetBValue(pixel) != 200) {
                continue;  // the key spot and its neighbours
            }
            ASSERT_LT(GetRValue(pixel), width) << "at (" << x << ", " << y << ")";
            ASSERT_LT(GetGValue(pixel), height) << "at (" << x << ", " << y << ")";
            columns.insert(GetRValue(pixel));
            rows.insert(GetGValue(pixel));
        }
    }
    EXPECT_EQ(static_cast<int>(columns.size()), width);
    EXPECT_EQ(static_cast<int>(rows.size()), height);
    EXPECT_EQ(shown.At(kScreenLeft, kScreenTop), desktop_.At(0, 0));
    EXPECT_EQ(shown.At(kScreenLeft + desktop_.width - 1, kScreenTop + desktop_.height - 1),
              desktop_.At(width - 1, height - 1));
}

class KeyColourTest : public PreviewTest, public ::testing::WithParamInterface<int> {};

TEST_P(KeyColourTest, KeyPixelsShowTheFillsAndAPixelOneStepAwayIsOpaque)
{
    Start(KV_TEST_PICTURES_PATH, GetParam());
    SetPositions(0, 4);
    const winsim::Image shown = Paint();
    EXPECT_EQ(shown.At(5, 2), face_);
    EXPECT_EQ(shown.At(100, 160), face_);  // the stand
    EXPECT_EQ(shown.At(kScreenLeft + 10, kScreenTop + 10), background_);
    const std::array<COLORREF, 3> nearKey{RGB(254, 255, 0), RGB(255, 254, 0), RGB(255, 255, 1)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(shown.At(2 + i, 2), nearKey[static_cast<std::size_t>(i)]) << "monitor " << i;
        EXPECT_EQ(shown.At(kScreenLeft + 11 + i, kScreenTop + 10), nearKey[static_cast<std::size_t>(i)])
            << "desktop " << i;
    }
    EXPECT_EQ(FirstDifference(shown, [&](int x, int y) { return Unscaled(x, y, false); }), "");
}

INSTANTIATE_TEST_SUITE_P(FullColourDepths, KeyColourTest, ::testing::Values(24, 32));

// At 16 bits the nearest colours share the key's stored bits, and the hardware cannot tell
// them apart.
TEST_F(PreviewTest, AtSixteenBitsColoursThatStoreAsTheKeyAreTransparent)
{
    Start(KV_TEST_PICTURES_PATH, 16);
    SetPositions(0, 4);
    const winsim::Image shown = Paint();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(shown.At(2 + i, 2), face_) << i;
        EXPECT_EQ(shown.At(kScreenLeft + 11 + i, kScreenTop + 10), background_) << i;
    }
}

TEST_F(PreviewTest, TransparentBlitDrawsAllButTheKeyAndGivesTheSourceBack)
{
    Start(KV_TEST_PICTURES_PATH);
    HDC screen = GetDC(nullptr);
    HDC sourceDc = CreateCompatibleDC(screen);
    HBITMAP source = CreateCompatibleBitmap(screen, 6, 4);
    HGDIOBJ oldSource = SelectObject(sourceDc, source);
    HDC targetDc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 12, 10);
    HGDIOBJ oldTarget = SelectObject(targetDc, target);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            SetPixel(sourceDc, x, y, (x + y) % 3 == 0 ? kKey : RGB(x * 40, y * 60, 9));
        }
    }
    SetPixel(sourceDc, 5, 3, RGB(254, 255, 0));
    const RECT all{0, 0, 12, 10};
    FillRect(targetDc, &all, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const winsim::Image before = winsim::ReadBitmap(source);

    TransparentBlit(targetDc, source, 3, 2, kKey, 0, 0, sourceDc);

    const winsim::Image after = winsim::ReadBitmap(source);
    EXPECT_EQ(after.pixels, before.pixels);
    const winsim::Image drawn = winsim::ReadBitmap(target);
    EXPECT_EQ(FirstDifference(drawn,
                              [&](int x, int y) {
                                  const COLORREF pixel = before.At(x - 3, y - 2);
                                  return pixel == CLR_INVALID || pixel == kKey ? face_ : pixel;
                              }),
              "");

    // Without a bitmap the size argument counts.
    FillRect(targetDc, &all, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    TransparentBlit(targetDc, nullptr, 0, 0, kKey, 2, 1, sourceDc);
    EXPECT_EQ(winsim::ReadBitmap(source).pixels, before.pixels);
    EXPECT_EQ(GetPixel(targetDc, 1, 0), before.At(1, 0));
    EXPECT_EQ(GetPixel(targetDc, 2, 0), face_);
    EXPECT_EQ(GetPixel(targetDc, 1, 1), face_);

    SelectObject(sourceDc, oldSource);
    SelectObject(targetDc, oldTarget);
    DeleteObject(source);
    DeleteObject(target);
    DeleteDC(sourceDc);
    DeleteDC(targetDc);
    ReleaseDC(nullptr, screen);
}

TEST_F(PreviewTest, PaintingLeavesTheCachedBitmapsAsLoaded)
{
    Start(KV_TEST_PICTURES_PATH);
    SetPositions(2, 2);
    Paint();
    const PreviewBitmap monitor = GetPreviewBitmap(MonitorBitmap);
    const PreviewBitmap desktop = GetPreviewBitmap(DesktopBitmap);
    EXPECT_EQ(winsim::ReadBitmap(monitor.handle).pixels, monitor_.pixels);
    EXPECT_EQ(winsim::ReadBitmap(desktop.handle).pixels, desktop_.pixels);
    Paint();
    EXPECT_EQ(GetPreviewBitmap(MonitorBitmap).handle, monitor.handle);
    EXPECT_EQ(winsim::ReadBitmap(monitor.handle).pixels, monitor_.pixels);

    // Without the canvas's own surface (the third made) nothing may be drawn through the
    // cached pictures.
    winsim::FailNext(winsim::Fault::CreateBitmap, 3);
    Paint();
    EXPECT_EQ(winsim::ReadBitmap(monitor.handle).pixels, monitor_.pixels);
}

TEST_F(PreviewTest, ADisplayChangeDeletesTheBitmapsAndTheNextPaintLoadsThemForTheNewDepth)
{
    Start(KV_RLB_PATH);
    SetPositions(0, 4);
    Paint();
    const HBITMAP monitor = GetPreviewBitmap(MonitorBitmap).handle;
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), 2);

    winsim::SetDisplayMode({800, 600, 16, 75});
    RefreshPreview();
    BITMAP info{};
    EXPECT_EQ(GetObjectA(monitor, sizeof info, &info), 0);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), 0);
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(preview_, &update, FALSE));
    ReleasePreviewBitmaps();  // nothing left to release
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), 0);

    UpdateWindow(preview_);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), 2);
    ASSERT_EQ(GetObjectA(GetPreviewBitmap(MonitorBitmap).handle, sizeof info, &info),
              static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmBitsPixel, 16);
    face_ = Displayed(GetSysColor(COLOR_BTNFACE));
    background_ = Displayed(GetSysColor(COLOR_BACKGROUND));
    monitor_ = LoadPicture(MonitorBitmap);
    desktop_ = LoadPicture(DesktopBitmap);
    EXPECT_EQ(FirstDifference(Shown(), [&](int x, int y) { return Unscaled(x, y, false); }), "");
}

TEST_F(PreviewTest, AThousandPaintsLeaveNoObjectsBehind)
{
    Start(KV_RLB_PATH);
    SetPositions(1, 1);
    Paint();
    const int live = LiveObjects();
    for (int i = 0; i < 1000; ++i) {
        SetPositions(i % 5, (i / 5) % 5);
        InvalidatePreview();
        UpdateWindow(preview_);
    }
    EXPECT_EQ(LiveObjects(), live);
    EXPECT_EQ(winsim::LivePaintDcs(), 0);
}

TEST_F(PreviewTest, AThousandPaintsWithFailedCreationsLeaveNoObjectsBehind)
{
    Start(KV_RLB_PATH);
    SetPositions(1, 1);
    Paint();
    const int live = LiveObjects();
    const std::array<winsim::Fault, 3> faults{winsim::Fault::CreateDc, winsim::Fault::CreateBitmap,
                                              winsim::Fault::CreateBrush};
    for (int i = 0; i < 1000; ++i) {
        // The first 1 to 13 creations of one kind fail, or all of them.
        const int times = (i / 3) % 14 == 13 ? -1 : (i / 3) % 14 + 1;
        winsim::FailNext(faults[static_cast<std::size_t>(i % 3)], times);
        SetPositions(i % 5, (i / 7) % 5);
        InvalidatePreview();
        UpdateWindow(preview_);
        winsim::ClearFaults();
    }
    EXPECT_EQ(LiveObjects(), live);
    EXPECT_EQ(winsim::LivePaintDcs(), 0);
    SetPositions(0, 4);
    EXPECT_EQ(FirstDifference(Paint(), [&](int x, int y) { return Unscaled(x, y, false); }), "");
}

// Extents that reach zero or below draw no desktop: the monitor's screen shows the
// background colour alone.
TEST_F(PreviewTest, ExtentsThatShrinkToNothingIssueNoEmptyBlitAndShowTheBackground)
{
    Start(KV_TEST_PICTURES_PATH, 32, 20);
    const std::array<std::array<int, 2>, 5> positions{{{10, 20}, {15, 20}, {16, 20}, {20, 20}, {0, 0}}};
    for (const auto& [desktop, screen] : positions) {
        SetPositions(desktop, screen);
        winsim::ClearBlits();
        winsim::LogBlits(true);
        const winsim::Image shown = Paint();
        winsim::LogBlits(false);
        EXPECT_FALSE(winsim::Blits().empty());
        for (const winsim::BlitRecord& blit : winsim::Blits()) {
            EXPECT_GT(blit.width, 0) << desktop << "/" << screen;
            EXPECT_GT(blit.height, 0) << desktop << "/" << screen;
            EXPECT_GT(blit.sourceWidth, 0) << desktop << "/" << screen;
            EXPECT_GT(blit.sourceHeight, 0) << desktop << "/" << screen;
        }
        const bool overlay = desktop == screen;
        const bool vanished = desktop * 10 >= desktop_.height || (20 - screen) * 10 >= desktop_.height;
        EXPECT_EQ(FirstDifference(shown,
                                  [&](int x, int y) {
                                      if (InScreen(x, y)) {
                                          return vanished ? background_ : shown.At(x, y);
                                      }
                                      return Unscaled(x, y, overlay);
                                  }),
                  "")
            << desktop << "/" << screen;
        if (desktop == 16) {
            Save(shown, "vanished");
        }
    }
}

TEST_F(PreviewTest, AMonitorThatCannotBeLoadedLeavesTheFaceAndIsTriedAgain)
{
    Start(KV_TEST_PICTURES_PATH);
    SetPositions(0, 4);
    winsim::FailNext(winsim::Fault::LoadResource);
    const winsim::Image shown = Paint();
    Save(shown, "no_monitor");
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), 1);
    EXPECT_EQ(
        FirstDifference(shown, [&](int x, int y) { return InScreen(x, y) ? Unscaled(x, y, false) : face_; }),
        "");
    EXPECT_EQ(FirstDifference(Paint(), [&](int x, int y) { return Unscaled(x, y, false); }), "");
}

TEST_F(PreviewTest, ADesktopThatCannotBeLoadedLeavesTheMonitorsOwnScreenAndIsTriedAgain)
{
    Start(KV_TEST_PICTURES_PATH);
    SetPositions(0, 4);
    ASSERT_NE(GetPreviewBitmap(MonitorBitmap).handle, nullptr);
    winsim::FailNext(winsim::Fault::LoadResource);
    EXPECT_EQ(FirstDifference(Paint(), [&](int x, int y) { return MonitorAt(x, y); }), "");
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), 1);
    EXPECT_EQ(FirstDifference(Paint(), [&](int x, int y) { return Unscaled(x, y, false); }), "");
}

TEST_F(PreviewTest, PaintPreviewDrawsTheSameIntoAMemoryDcAndTheControlKeepsItsOtherMessages)
{
    Start(KV_RLB_PATH);
    SetPositions(2, 2);
    const winsim::Image painted = Paint();
    HDC memory = CreateCompatibleDC(nullptr);
    HDC screen = GetDC(nullptr);
    HBITMAP surface = CreateCompatibleBitmap(screen, 184, 170);
    HGDIOBJ previous = SelectObject(memory, surface);
    PaintPreview(preview_, memory);
    EXPECT_EQ(winsim::ReadBitmap(surface).pixels, painted.pixels);
    SelectObject(memory, previous);
    DeleteObject(surface);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    EXPECT_TRUE(SetWindowTextA(preview_, "seen"));
    char text[8] = {};
    EXPECT_EQ(GetWindowTextA(preview_, text, sizeof text), 4);
    EXPECT_EQ(GetPreviewControl(), preview_);
    EXPECT_EQ(GetPrevPreviewProc(), staticProc_);
    RestorePreview();
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(preview_, GWLP_WNDPROC)), staticProc_);
}

}  // namespace
