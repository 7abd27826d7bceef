// Block transfers: raster operations on stored pixels, Windows' rules between monochrome
// and colour, stretching in each mode, clipping and odd extents, colour depths, the log.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <utility>
#include <vector>

#include "gdi_test_support.h"

namespace {

using gdi_test::Canvas;

constexpr COLORREF kKey = RGB(255, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

std::vector<COLORREF> Row(const Canvas& canvas, int y, int width)
{
    std::vector<COLORREF> row;
    for (int x = 0; x < width; ++x) {
        row.push_back(canvas.At(x, y));
    }
    return row;
}

class GdiBlitTest : public ::testing::Test {
protected:
    void SetUp() override { winsim::SetDisplayMode({640, 480, 32, 60}); }
};

TEST_F(GdiBlitTest, ColourToMonochromeByTheSourceBackgroundAndBackByTheDestinationColours)
{
    Canvas colour(3, 1);
    SetPixel(colour.dc, 0, 0, kKey);
    SetPixel(colour.dc, 1, 0, RGB(254, 255, 0));
    SetPixel(colour.dc, 2, 0, kWhite);
    Canvas mask(3, 1, true);
    SetBkColor(colour.dc, kKey);
    ASSERT_TRUE(BitBlt(mask.dc, 0, 0, 3, 1, colour.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(Row(mask, 0, 3), (std::vector<COLORREF>{kWhite, kBlack, kBlack}));

    Canvas back(3, 1);
    SetTextColor(back.dc, RGB(1, 2, 3));
    SetBkColor(back.dc, RGB(4, 5, 6));
    SetBkColor(mask.dc, RGB(7, 7, 7));  // the source's colours play no part
    ASSERT_TRUE(BitBlt(back.dc, 0, 0, 3, 1, mask.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(Row(back, 0, 3), (std::vector<COLORREF>{RGB(4, 5, 6), RGB(1, 2, 3), RGB(1, 2, 3)}));
}

TEST_F(GdiBlitTest, RasterOperationsCombineTheStoredBits)
{
    Canvas source(1, 1);
    Canvas target(1, 1);
    struct Case {
        DWORD rop;
        COLORREF expected;
    };
    const COLORREF s = RGB(0xF0, 0x0F, 0x55);
    const COLORREF d = RGB(0xCC, 0x3C, 0x0F);
    for (const Case& c :
         {Case{SRCCOPY, s}, Case{SRCAND, RGB(0xC0, 0x0C, 0x05)}, Case{SRCPAINT, RGB(0xFC, 0x3F, 0x5F)},
          Case{SRCINVERT, RGB(0x3C, 0x33, 0x5A)}, Case{NOTSRCCOPY, RGB(0x0F, 0xF0, 0xAA)},
          Case{SRCERASE, RGB(0x30, 0x03, 0x50)}, Case{MERGEPAINT, RGB(0xCF, 0xFC, 0xAF)},
          Case{DSTINVERT, RGB(0x33, 0xC3, 0xF0)}, Case{BLACKNESS, kBlack}, Case{WHITENESS, kWhite}}) {
        SetPixel(source.dc, 0, 0, s);
        SetPixel(target.dc, 0, 0, d);
        ASSERT_TRUE(BitBlt(target.dc, 0, 0, 1, 1, source.dc, 0, 0, c.rop));
        EXPECT_EQ(target.At(0, 0), c.expected) << std::hex << c.rop;
    }
    // Monochrome bits invert within their one bit.
    Canvas mono(1, 1, true);
    Canvas inverse(1, 1, true);
    ASSERT_TRUE(BitBlt(inverse.dc, 0, 0, 1, 1, mono.dc, 0, 0, NOTSRCCOPY));
    EXPECT_EQ(inverse.At(0, 0), kWhite);
    EXPECT_FALSE(PatBlt(target.dc, 0, 0, 1, 1, SRCCOPY));
}

TEST_F(GdiBlitTest, TransfersAreClippedToBothSurfacesWhateverTheExtents)
{
    Canvas source(4, 4);
    source.Fill(RGB(10, 20, 30));
    Canvas target(4, 4);
    target.Fill(kWhite);
    EXPECT_TRUE(BitBlt(target.dc, 2, 2, 100, 100, source.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(target.dc, -1000000, 5, 2000000, 3, source.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(target.dc, 0, 0, 0, 4, source.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(target.dc, 0, 0, 4, 4, source.dc, 3, 3, SRCCOPY));
    EXPECT_TRUE(BitBlt(target.dc, 2147483600, 2147483600, 2147483647, 2147483647, source.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(StretchBlt(target.dc, 3, 3, -2147483647, 9, source.dc, -5, -5, 30, -2147483647, SRCCOPY));
    EXPECT_TRUE(StretchBlt(target.dc, 0, 0, 9, 9, source.dc, 0, 0, 0, 4, SRCCOPY));
    // Only the source's pixel (3, 3) reached the target's (0, 0); the stretch from (-5, -5)
    // reached pixels whose source lies inside.
    EXPECT_EQ(target.At(3, 3), RGB(10, 20, 30));
    EXPECT_EQ(target.At(0, 0), RGB(10, 20, 30));
    // Negative extents on both sides run back from the corner, which they include.
    target.Fill(kWhite);
    EXPECT_TRUE(BitBlt(target.dc, 2, 2, -2, -2, source.dc, 2, 2, SRCCOPY));
    EXPECT_EQ(target.At(0, 0), kWhite);
    EXPECT_EQ(target.At(1, 1), RGB(10, 20, 30));
    EXPECT_EQ(target.At(2, 2), RGB(10, 20, 30));
    EXPECT_EQ(target.At(3, 3), kWhite);
}

TEST_F(GdiBlitTest, OverlappingTransfersWithinOneBitmapReadTheOriginal)
{
    Canvas canvas(4, 1);
    for (int x = 0; x < 4; ++x) {
        SetPixel(canvas.dc, x, 0, RGB(x, 0, 0));
    }
    ASSERT_TRUE(BitBlt(canvas.dc, 1, 0, 3, 1, canvas.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(Row(canvas, 0, 4),
              (std::vector<COLORREF>{RGB(0, 0, 0), RGB(0, 0, 0), RGB(1, 0, 0), RGB(2, 0, 0)}));
}

TEST_F(GdiBlitTest, StretchingRepeatsOrCombinesByTheStretchMode)
{
    Canvas source(4, 1);
    const std::vector<COLORREF> pixels{RGB(0xF0, 0, 0), RGB(0x3C, 0, 0), RGB(0x0F, 0, 0xFF),
                                       RGB(0xFF, 0, 0x0F)};
    for (int x = 0; x < 4; ++x) {
        SetPixel(source.dc, x, 0, pixels[static_cast<std::size_t>(x)]);
    }
    Canvas wide(8, 1);
    ASSERT_TRUE(StretchBlt(wide.dc, 0, 0, 8, 1, source.dc, 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(Row(wide, 0, 8), (std::vector<COLORREF>{pixels[0], pixels[0], pixels[1], pixels[1], pixels[2],
                                                      pixels[2], pixels[3], pixels[3]}));
    // Mirrored when the signs differ.
    ASSERT_TRUE(StretchBlt(wide.dc, 0, 0, 4, 1, source.dc, 3, 0, -4, 1, SRCCOPY));
    EXPECT_EQ(wide.At(0, 0), pixels[3]);
    EXPECT_EQ(wide.At(3, 0), pixels[0]);

    Canvas narrow(2, 1);
    ASSERT_TRUE(StretchBlt(narrow.dc, 0, 0, 2, 1, source.dc, 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(Row(narrow, 0, 2), (std::vector<COLORREF>{RGB(0x30, 0, 0), RGB(0x0F, 0, 0x0F)}));
    EXPECT_EQ(SetStretchBltMode(narrow.dc, WHITEONBLACK), BLACKONWHITE);
    ASSERT_TRUE(StretchBlt(narrow.dc, 0, 0, 2, 1, source.dc, 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(Row(narrow, 0, 2), (std::vector<COLORREF>{RGB(0xFC, 0, 0), RGB(0xFF, 0, 0xFF)}));
    SetStretchBltMode(narrow.dc, COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(narrow.dc, 0, 0, 2, 1, source.dc, 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(Row(narrow, 0, 2), (std::vector<COLORREF>{pixels[0], pixels[2]}));
}

// A 5 x 3 source shrunk to 2 x 2: columns 0-1 and 2-4, rows 0 and 1-2 combine into one pixel
// each, in both directions at once; the first row runs of three, the second of two.
TEST_F(GdiBlitTest, AShrinkCombinesRunsOfRowsAndColumnsOfUnequalLength)
{
    Canvas source(5, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            // One bit of red for each pixel, all of green set, so AND and OR both tell the run.
            SetPixel(source.dc, x, y,
                     RGB(0, 0xFF, 0) | static_cast<COLORREF>(1U << (x + 5 * y) % 8) |
                         (static_cast<COLORREF>(1U << (x + 5 * y) / 8) << 16));
        }
    }
    auto bits = [&](const std::vector<std::pair<int, int>>& cells, bool withOr) {
        COLORREF value = withOr ? 0 : 0xFFFFFF;
        for (const auto& [x, y] : cells) {
            value = withOr ? value | source.At(x, y) : value & source.At(x, y);
        }
        return value;
    };
    const std::vector<std::vector<std::pair<int, int>>> runs = {
        {{0, 0}, {1, 0}},
        {{2, 0}, {3, 0}, {4, 0}},
        {{0, 1}, {1, 1}, {0, 2}, {1, 2}},
        {{2, 1}, {3, 1}, {4, 1}, {2, 2}, {3, 2}, {4, 2}}};
    for (const bool withOr : {false, true}) {
        Canvas target(2, 2);
        SetStretchBltMode(target.dc, withOr ? WHITEONBLACK : BLACKONWHITE);
        ASSERT_TRUE(StretchBlt(target.dc, 0, 0, 2, 2, source.dc, 0, 0, 5, 3, SRCCOPY));
        EXPECT_EQ(target.At(0, 0), bits(runs[0], withOr)) << withOr;
        EXPECT_EQ(target.At(1, 0), bits(runs[1], withOr)) << withOr;
        EXPECT_EQ(target.At(0, 1), bits(runs[2], withOr)) << withOr;
        EXPECT_EQ(target.At(1, 1), bits(runs[3], withOr)) << withOr;
    }
}

TEST_F(GdiBlitTest, PixelsKeepWhatTheDisplayDepthStores)
{
    winsim::SetDisplayMode({640, 480, 16, 60});
    Canvas canvas(2, 1);
    EXPECT_EQ(SetPixel(canvas.dc, 0, 0, RGB(254, 255, 0)), kKey);
    EXPECT_EQ(SetPixel(canvas.dc, 1, 0, RGB(192, 192, 192)), RGB(198, 195, 198));
    Canvas mask(2, 1, true);
    SetBkColor(canvas.dc, kKey);
    BitBlt(mask.dc, 0, 0, 2, 1, canvas.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(mask.At(0, 0), kWhite);

    winsim::SetDisplayMode({640, 480, 15, 60});
    Canvas fifteen(1, 1);
    EXPECT_EQ(SetPixel(fifteen.dc, 0, 0, RGB(255, 130, 7)), RGB(255, 132, 0));

    winsim::SetDisplayMode({640, 480, 8, 60});
    Canvas palette(2, 1);
    EXPECT_EQ(SetPixel(palette.dc, 0, 0, RGB(250, 250, 5)), kKey);
    EXPECT_EQ(SetPixel(palette.dc, 1, 0, RGB(0, 128, 128)), RGB(0, 128, 128));
    // Inverting works on the palette index: a static colour becomes its partner at the
    // palette's other end.
    BitBlt(palette.dc, 0, 0, 2, 1, nullptr, 0, 0, DSTINVERT);
    EXPECT_EQ(palette.At(0, 0), RGB(0, 0, 128));
    EXPECT_EQ(palette.At(1, 0), RGB(255, 0, 0));
}

TEST_F(GdiBlitTest, TheLogRecordsEveryTransferAsGiven)
{
    Canvas canvas(2, 2);
    winsim::LogBlits(true);
    BitBlt(canvas.dc, 1, 2, -3, 4, canvas.dc, 5, 6, SRCAND);
    StretchBlt(canvas.dc, 0, 0, 2, 2, canvas.dc, 0, 0, 1, 1, SRCCOPY);
    winsim::LogBlits(false);
    BitBlt(canvas.dc, 0, 0, 1, 1, canvas.dc, 0, 0, SRCCOPY);
    ASSERT_EQ(winsim::Blits().size(), 2U);
    const winsim::BlitRecord& first = winsim::Blits()[0];
    EXPECT_FALSE(first.stretch);
    EXPECT_EQ(first.width, -3);
    EXPECT_EQ(first.sourceWidth, -3);
    EXPECT_EQ(first.sourceY, 6);
    EXPECT_EQ(first.rop, static_cast<DWORD>(SRCAND));
    EXPECT_TRUE(winsim::Blits()[1].stretch);
    EXPECT_EQ(winsim::Blits()[1].sourceWidth, 1);
    winsim::ClearBlits();
    EXPECT_TRUE(winsim::Blits().empty());
}

}  // namespace
