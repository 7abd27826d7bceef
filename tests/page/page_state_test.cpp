#include "page/page_state.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

struct NamedId {
    std::string name;
    std::int32_t (*get)();
};

const std::vector<NamedId>& AllIds()
{
    static const std::vector<NamedId> ids = {
        {"PreviewControl", GetPreviewControlId},
        {"ProbeControl", GetProbeControlId},
        {"DepthCombo", GetDepthComboId},
        {"RaisedControl", GetRaisedControlId},
        {"HelpAreaAnchor", GetHelpAreaAnchorId},
        {"ScreenRowAnchor", GetScreenRowAnchorId},
        {"BelowScreenRow", GetBelowScreenRowId},
        {"HelpAreaModel", GetHelpAreaModelId},
        {"DesktopSlider", GetDesktopSliderId},
        {"DesktopLabel", GetDesktopLabelId},
        {"LessLabel", GetLessLabelId},
        {"MoreLabel", GetMoreLabelId},
        {"LoweredControl", GetLoweredControlId},
        {"HelpArea", GetHelpAreaId},
        {"NativeScreenSlider", GetNativeScreenSliderId},
        {"NativeScreenLabel", GetNativeScreenLabelId},
        {"ScreenLessLabel", GetScreenLessLabelId},
        {"ScreenMoreLabel", GetScreenMoreLabelId},
        {"ScreenSlider", GetScreenSliderId},
        {"ScreenLabel", GetScreenLabelId},
        {"RangeCommand", GetRangeCommandId},
    };
    return ids;
}

const std::vector<std::int32_t> kInitialIds = {1205, 200,  1200, 1206, 1216, 1212, 1211,
                                               201,  1204, 1207, 1209, 1210, 1213, 1213,
                                               1214, 1215, 1216, 1217, 100,  101,  1210};
const std::vector<std::int32_t> kNativeIds = {1203, 1212, 1200, 1204, 1211, 1209, 1219,
                                              1205, 1202, 1206, 1209, 1210, 1213, 1213,
                                              1214, 1215, 1216, 1217, 100,  101,  1210};

void ExpectIds(const std::vector<std::int32_t>& expected)
{
    ASSERT_EQ(AllIds().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(AllIds()[i].get(), expected[i]) << AllIds()[i].name;
    }
}

LRESULT CALLBACK SomeProc(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

HWND FakeWindow(std::uintptr_t n)
{
    return reinterpret_cast<HWND>(n);
}

TEST(PageState, BeforeCaptureEveryRecordIsNullAndNoLayoutIsChosen)
{
    EXPECT_EQ(GetPropertySheet(), nullptr);
    EXPECT_EQ(GetSettingsPage(), nullptr);
    EXPECT_EQ(GetTopLevelWindow(), nullptr);
    EXPECT_EQ(GetPrevTopLevelProc(), nullptr);
    EXPECT_EQ(GetPrevPageProc(), nullptr);
    EXPECT_EQ(GetPreviewControl(), nullptr);
    EXPECT_EQ(GetPrevPreviewProc(), nullptr);
    EXPECT_EQ(GetHelpModule(), nullptr);
    EXPECT_EQ(GetDesktopSlider(), nullptr);
    EXPECT_EQ(GetScreenSlider(), nullptr);
    EXPECT_EQ(GetLayoutVariant(), LayoutUndecided);
    ExpectIds(kInitialIds);
}

TEST(PageState, EachRecordKeepsWhatItsSetterWrote)
{
    SetPropertySheet(FakeWindow(0x10));
    SetSettingsPage(FakeWindow(0x20));
    SetTopLevelWindow(FakeWindow(0x30));
    SetPreviewControl(FakeWindow(0x40));
    SetDesktopSlider(FakeWindow(0x50));
    SetScreenSlider(FakeWindow(0x60));
    SetPrevPageProc(SomeProc);
    SetHelpModule(reinterpret_cast<HINSTANCE>(0x70));

    EXPECT_EQ(GetPropertySheet(), FakeWindow(0x10));
    EXPECT_EQ(GetSettingsPage(), FakeWindow(0x20));
    EXPECT_EQ(GetTopLevelWindow(), FakeWindow(0x30));
    EXPECT_EQ(GetPreviewControl(), FakeWindow(0x40));
    EXPECT_EQ(GetDesktopSlider(), FakeWindow(0x50));
    EXPECT_EQ(GetScreenSlider(), FakeWindow(0x60));
    EXPECT_EQ(GetPrevPageProc(), SomeProc);
    EXPECT_EQ(GetPrevTopLevelProc(), nullptr);
    EXPECT_EQ(GetPrevPreviewProc(), nullptr);
    EXPECT_EQ(GetHelpModule(), reinterpret_cast<HINSTANCE>(0x70));

    SetPrevTopLevelProc(SomeProc);
    SetPrevPreviewProc(SomeProc);
    EXPECT_EQ(GetPrevTopLevelProc(), SomeProc);
    EXPECT_EQ(GetPrevPreviewProc(), SomeProc);
}

TEST(PageState, ClonedMovesOnlyTheHelpAreaTo202)
{
    SetLayoutVariant(LayoutCloned);

    EXPECT_EQ(GetLayoutVariant(), LayoutCloned);
    std::vector<std::int32_t> expected = kInitialIds;
    expected[13] = 202;
    ExpectIds(expected);
    EXPECT_EQ(GetLoweredControlId(), 1213);
}

TEST(PageState, NativeWritesTheTenNativeIdsAndKeepsTheHelpArea)
{
    SetLayoutVariant(LayoutNative);
    EXPECT_EQ(GetLayoutVariant(), LayoutNative);
    ExpectIds(kInitialIds);

    SetControlIdsNative();

    ExpectIds(kNativeIds);
    EXPECT_EQ(GetHelpAreaId(), 1213);
}

TEST(PageState, SomeRolesShareAnId)
{
    EXPECT_EQ(GetMoreLabelId(), 1210);
    EXPECT_EQ(GetRangeCommandId(), 1210);
    EXPECT_EQ(GetLoweredControlId(), GetHelpAreaId());
    EXPECT_EQ(GetHelpAreaAnchorId(), GetScreenLessLabelId());
}

}  // namespace
