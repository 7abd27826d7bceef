#include "records/page_records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::vector<std::string> kRoleNames = {
    "PreviewControl",    "ProbeControl",    "DepthCombo",      "RaisedControl", "HelpAreaAnchor",
    "ScreenRowAnchor",   "BelowScreenRow",  "HelpAreaModel",   "DesktopSlider", "DesktopLabel",
    "LessLabel",         "MoreLabel",       "LoweredControl",  "HelpArea",      "NativeScreenSlider",
    "NativeScreenLabel", "ScreenLessLabel", "ScreenMoreLabel", "ScreenSlider",  "ScreenLabel",
    "RangeCommand",
};

const std::vector<std::int32_t> kInitialIds = {1205, 200,  1200, 1206, 1216, 1212, 1211,
                                               201,  1204, 1207, 1209, 1210, 1213, 1213,
                                               1214, 1215, 1216, 1217, 100,  101,  1210};
const std::vector<std::int32_t> kNativeIds = {1203, 1212, 1200, 1204, 1211, 1209, 1219,
                                              1205, 1202, 1206, 1209, 1210, 1213, 1213,
                                              1214, 1215, 1216, 1217, 100,  101,  1210};

void ExpectIds(const std::vector<std::int32_t>& expected)
{
    ASSERT_EQ(kRoleNames.size(), static_cast<std::size_t>(ControlRoleCount));
    ASSERT_EQ(expected.size(), kRoleNames.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(ControlId(static_cast<ControlRole>(i)), expected[i]) << kRoleNames[i];
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

TEST(PageRecords, BeforeCaptureEveryRecordIsNullAndNoLayoutIsChosen)
{
    EXPECT_EQ(GetPropertySheet(), nullptr);
    EXPECT_EQ(GetSettingsPage(), nullptr);
    EXPECT_EQ(GetTopLevelWindow(), nullptr);
    EXPECT_EQ(GetPrevTopLevelProc(), nullptr);
    EXPECT_EQ(GetPrevPageProc(), nullptr);
    EXPECT_EQ(GetHelpModule(), nullptr);
    EXPECT_EQ(GetDesktopSlider(), nullptr);
    EXPECT_EQ(GetScreenSlider(), nullptr);
    EXPECT_EQ(GetLayoutVariant(), LayoutUndecided);
    ExpectIds(kInitialIds);
}

TEST(PageRecords, EachRecordKeepsWhatItsSetterWrote)
{
    SetPropertySheet(FakeWindow(0x10));
    SetSettingsPage(FakeWindow(0x20));
    SetTopLevelWindow(FakeWindow(0x30));
    SetDesktopSlider(FakeWindow(0x50));
    SetScreenSlider(FakeWindow(0x60));
    SetPrevPageProc(SomeProc);
    SetHelpModule(reinterpret_cast<HINSTANCE>(0x70));

    EXPECT_EQ(GetPropertySheet(), FakeWindow(0x10));
    EXPECT_EQ(GetSettingsPage(), FakeWindow(0x20));
    EXPECT_EQ(GetTopLevelWindow(), FakeWindow(0x30));
    EXPECT_EQ(GetDesktopSlider(), FakeWindow(0x50));
    EXPECT_EQ(GetScreenSlider(), FakeWindow(0x60));
    EXPECT_EQ(GetPrevPageProc(), SomeProc);
    EXPECT_EQ(GetPrevTopLevelProc(), nullptr);
    EXPECT_EQ(GetHelpModule(), reinterpret_cast<HINSTANCE>(0x70));

    SetPrevTopLevelProc(SomeProc);
    EXPECT_EQ(GetPrevTopLevelProc(), SomeProc);
}

TEST(PageRecords, ClonedMovesOnlyTheHelpAreaTo202)
{
    SetLayoutVariant(LayoutCloned);

    EXPECT_EQ(GetLayoutVariant(), LayoutCloned);
    std::vector<std::int32_t> expected = kInitialIds;
    expected[RoleHelpArea] = 202;
    ExpectIds(expected);
    EXPECT_EQ(ControlId(RoleLoweredControl), 1213);
}

TEST(PageRecords, NativeSwitchesTheTenNativeIdsAndKeepsTheHelpArea)
{
    SetLayoutVariant(LayoutNative);

    EXPECT_EQ(GetLayoutVariant(), LayoutNative);
    ExpectIds(kNativeIds);
    EXPECT_EQ(ControlId(RoleHelpArea), 1213);
}

TEST(PageRecords, SomeRolesShareAnId)
{
    EXPECT_EQ(ControlId(RoleMoreLabel), 1210);
    EXPECT_EQ(ControlId(RoleRangeCommand), 1210);
    EXPECT_EQ(ControlId(RoleLoweredControl), ControlId(RoleHelpArea));
    EXPECT_EQ(ControlId(RoleHelpAreaAnchor), ControlId(RoleScreenLessLabel));
}

}  // namespace
