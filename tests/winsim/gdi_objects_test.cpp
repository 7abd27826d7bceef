// Fonts, stock objects and the object table: what GetObjectA copies, what DeleteObject
// answers, what a DC holds selected, and the live counts that leak checks read.
#include <gtest/gtest.h>
#include <winsim/control.h>
#include <winsim/win32.h>

#include <array>
#include <cstring>
#include <string>

namespace {

LOGFONTA LightFont()
{
    LOGFONTA font{};
    font.lfHeight = -11;
    font.lfWeight = FW_LIGHT;
    font.lfItalic = 1;
    font.lfCharSet = 1;
    std::strcpy(font.lfFaceName, "MS Sans Serif");
    return font;
}

class GdiObjectsTest : public ::testing::Test {
protected:
    void TearDown() override { winsim::ClearFaults(); }
};

TEST_F(GdiObjectsTest, FontRoundTripsThroughGetObject)
{
    const LOGFONTA created = LightFont();
    HFONT font = CreateFontIndirectA(&created);
    ASSERT_NE(font, nullptr);

    LOGFONTA read{};
    EXPECT_EQ(GetObjectA(font, sizeof(read), &read), 60);
    EXPECT_EQ(read.lfHeight, -11);
    EXPECT_EQ(read.lfWeight, FW_LIGHT);
    EXPECT_EQ(read.lfItalic, 1);
    EXPECT_EQ(read.lfCharSet, 1);
    EXPECT_STREQ(read.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(std::memcmp(&read, &created, sizeof(read)), 0);
}

TEST_F(GdiObjectsTest, GetObjectCopiesNoMoreThanAskedOrThanTheStructure)
{
    const LOGFONTA created = LightFont();
    HFONT font = CreateFontIndirectA(&created);

    std::array<unsigned char, 100> buffer;
    buffer.fill(0xCC);
    EXPECT_EQ(GetObjectA(font, 20, buffer.data()), 20);
    EXPECT_EQ(std::memcmp(buffer.data(), &created, 20), 0);
    EXPECT_EQ(buffer[20], 0xCC);

    buffer.fill(0xCC);
    EXPECT_EQ(GetObjectA(font, static_cast<int>(buffer.size()), buffer.data()), 60);
    EXPECT_EQ(buffer[60], 0xCC);

    buffer.fill(0xCC);
    EXPECT_EQ(GetObjectA(font, 0, buffer.data()), 0);
    EXPECT_EQ(GetObjectA(font, -5, buffer.data()), 0);
    EXPECT_EQ(buffer[0], 0xCC);
    EXPECT_EQ(GetObjectA(font, 0, nullptr), 60);  // the size it needs
}

TEST_F(GdiObjectsTest, LongFaceNameIsCutToTheFieldWithItsNull)
{
    LOGFONTA created = LightFont();
    std::memset(created.lfFaceName, 'A', sizeof(created.lfFaceName));  // no terminator
    HFONT font = CreateFontIndirectA(&created);

    LOGFONTA read{};
    ASSERT_EQ(GetObjectA(font, sizeof(read), &read), 60);
    EXPECT_EQ(std::string(read.lfFaceName), std::string(LF_FACESIZE - 1, 'A'));
}

TEST_F(GdiObjectsTest, InvalidAndDeletedHandlesReadNothing)
{
    const LOGFONTA created = LightFont();
    HFONT font = CreateFontIndirectA(&created);
    ASSERT_TRUE(DeleteObject(font));

    LOGFONTA read{};
    EXPECT_EQ(GetObjectA(font, sizeof(read), &read), 0);
    EXPECT_EQ(GetObjectA(nullptr, sizeof(read), &read), 0);
    EXPECT_EQ(GetObjectA(reinterpret_cast<HANDLE>(0x12345678), sizeof(read), &read), 0);
    EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
}

TEST_F(GdiObjectsTest, DeleteObjectAnswersForOwnStockAndInvalidHandles)
{
    const LOGFONTA created = LightFont();
    HFONT font = CreateFontIndirectA(&created);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(nullptr));

    // Deleting a stock object is harmless: reported as done, and the object stays.
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    EXPECT_TRUE(DeleteObject(stock));
    LOGFONTA read{};
    EXPECT_EQ(GetObjectA(stock, sizeof(read), &read), 60);
}

TEST_F(GdiObjectsTest, StockFontsAndBrushes)
{
    LOGFONTA gui{};
    ASSERT_EQ(GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui), 60);
    EXPECT_STREQ(gui.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(gui.lfHeight, -11);
    EXPECT_EQ(gui.lfWeight, FW_NORMAL);

    LOGFONTA system{};
    ASSERT_EQ(GetObjectA(GetStockObject(SYSTEM_FONT), sizeof(system), &system), 60);
    EXPECT_STREQ(system.lfFaceName, "System");
    EXPECT_EQ(system.lfWeight, FW_BOLD);

    EXPECT_EQ(GetStockObject(WHITE_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_NE(GetStockObject(WHITE_BRUSH), nullptr);
    EXPECT_NE(GetStockObject(WHITE_BRUSH), GetStockObject(BLACK_BRUSH));
    EXPECT_NE(GetStockObject(NULL_BRUSH), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST_F(GdiObjectsTest, LiveCountsFollowCreateAndDeleteButNotStock)
{
    const int fonts = winsim::LiveGdiObjects(winsim::GdiKind::Font);
    const LOGFONTA created = LightFont();
    HFONT first = CreateFontIndirectA(&created);
    HFONT second = CreateFontIndirectA(&created);
    EXPECT_NE(first, second);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Font), fonts + 2);

    DeleteObject(first);
    DeleteObject(GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Font), fonts + 1);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Brush), 0);
    DeleteObject(second);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Font), fonts);
}

TEST_F(GdiObjectsTest, InjectedFontFailureCreatesNothing)
{
    const int fonts = winsim::LiveGdiObjects(winsim::GdiKind::Font);
    const LOGFONTA created = LightFont();
    winsim::FailNext(winsim::Fault::CreateFont);
    EXPECT_EQ(CreateFontIndirectA(&created), nullptr);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Font), fonts);

    HFONT font = CreateFontIndirectA(&created);
    EXPECT_NE(font, nullptr);
    DeleteObject(font);
}

TEST_F(GdiObjectsTest, SelectObjectSwapsFontsAndDefersDeletionOfTheSelectedOne)
{
    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    const LOGFONTA created = LightFont();
    HFONT font = CreateFontIndirectA(&created);
    const int fonts = winsim::LiveGdiObjects(winsim::GdiKind::Font);

    HGDIOBJ previous = SelectObject(dc, font);
    EXPECT_EQ(previous, GetStockObject(SYSTEM_FONT));

    // Deleted while selected: reported as done, but it lives until the DC lets go.
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Font), fonts);
    EXPECT_EQ(SelectObject(dc, previous), font);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Font), fonts - 1);

    EXPECT_EQ(SelectObject(dc, font), nullptr);
    EXPECT_EQ(SelectObject(nullptr, previous), nullptr);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
    ReleaseDC(nullptr, dc);
}

TEST_F(GdiObjectsTest, ReleasingTheDcCompletesADeferredDeletion)
{
    HDC dc = GetDC(nullptr);
    const LOGFONTA created = LightFont();
    HFONT font = CreateFontIndirectA(&created);
    const int fonts = winsim::LiveGdiObjects(winsim::GdiKind::Font);
    SelectObject(dc, font);
    DeleteObject(font);

    ReleaseDC(nullptr, dc);
    EXPECT_EQ(winsim::LiveGdiObjects(winsim::GdiKind::Font), fonts - 1);
    LOGFONTA read{};
    EXPECT_EQ(GetObjectA(font, sizeof(read), &read), 0);
}

}  // namespace
