// LoadBitmapA over the device-independent bitmaps of a real resource library: every depth
// and row order becomes a bitmap for the display (black-and-white ones monochrome), damaged
// ones are refused; and the pixels written out as PNG.
#include <gtest/gtest.h>
#include <png.h>
#include <winsim/control.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class GdiBitmapsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        winsim::SetDisplayMode({640, 480, 32, 60});
        winsim::MapDirectory("C:\\PICTURES", fs::path(KV_TEST_PICTURES_PATH).parent_path().string());
        library_ = LoadLibraryA("C:\\PICTURES\\TestPictures.RLB");
        ASSERT_NE(library_, nullptr);
    }

    HBITMAP Load(int id) { return LoadBitmapA(library_, MAKEINTRESOURCEA(id)); }

    winsim::Image Read(int id, int expectedBits)
    {
        HBITMAP bitmap = Load(id);
        BITMAP info{};
        EXPECT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info)) << id;
        EXPECT_EQ(info.bmBitsPixel, expectedBits) << id;
        winsim::Image image = winsim::ReadBitmap(bitmap);
        DeleteObject(bitmap);
        return image;
    }

    HMODULE library_ = nullptr;
};

TEST_F(GdiBitmapsTest, EveryDepthAndRowOrderLoads)
{
    const COLORREF black = RGB(0, 0, 0);
    const COLORREF white = RGB(255, 255, 255);
    const winsim::Image mono = Read(200, 1);
    ASSERT_EQ(mono.width, 8);
    EXPECT_EQ(mono.pixels, (std::vector<COLORREF>{black, white, black, white, black, white, black, white,
                                                  white, black, white, black, white, black, white, black}));
    EXPECT_EQ(Read(201, 32).pixels, (std::vector<COLORREF>{RGB(255, 0, 0), RGB(0, 0, 255)}));
    EXPECT_EQ(Read(202, 32).pixels,
              (std::vector<COLORREF>{RGB(10, 20, 30), RGB(40, 50, 60), RGB(70, 80, 90)}));
    // An index past the colour table shows black.
    const winsim::Image indexed = Read(203, 32);
    EXPECT_EQ(indexed.At(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(indexed.At(2, 0), RGB(7, 8, 9));
    EXPECT_EQ(indexed.At(0, 1), RGB(4, 5, 6));
    EXPECT_EQ(indexed.At(3, 1), black);
    EXPECT_EQ(Read(204, 32).pixels, (std::vector<COLORREF>{RGB(255, 0, 0), RGB(0, 0, 255)}));
    EXPECT_EQ(Read(205, 32).pixels,
              (std::vector<COLORREF>{RGB(0, 0, 7), RGB(100, 0, 7), RGB(0, 100, 7), RGB(100, 100, 7)}));
    EXPECT_EQ(Read(206, 32).pixels, (std::vector<COLORREF>{RGB(1, 2, 3), RGB(250, 251, 252)}));

    winsim::SetDisplayMode({640, 480, 16, 60});
    EXPECT_EQ(Read(206, 16).pixels, (std::vector<COLORREF>{RGB(0, 0, 0), RGB(255, 251, 255)}));
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), 0);
}

TEST_F(GdiBitmapsTest, DamagedBitmapsAndMissingOnesAreRefused)
{
    for (int id : {300, 301, 302, 303, 304, 999}) {
        EXPECT_EQ(Load(id), nullptr) << id;
    }
    EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCEA(100)), nullptr);
    winsim::FailNext(winsim::Fault::CreateBitmap);
    EXPECT_EQ(Load(100), nullptr);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap), 0);
    winsim::ClearFaults();
}

TEST_F(GdiBitmapsTest, PixelsWrittenAsPngReadBackTheSame)
{
    HBITMAP bitmap = Load(102);
    const winsim::Image image = winsim::ReadBitmap(bitmap);
    DeleteObject(bitmap);
    const fs::path path = fs::temp_directory_path() / ("winsim_png_" + std::to_string(getpid()) + ".png");
    ASSERT_TRUE(winsim::WritePng(image, path.string()));

    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&png, path.string().c_str()), 0);
    png.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(png));
    ASSERT_NE(png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr), 0);
    fs::remove(path);
    ASSERT_EQ(static_cast<int>(png.width), image.width);
    ASSERT_EQ(static_cast<int>(png.height), image.height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        ASSERT_EQ(RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]), image.pixels[i]) << i;
    }
    EXPECT_FALSE(winsim::WritePng(winsim::Image{}, path.string()));
}

}  // namespace
