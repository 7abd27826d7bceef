// The sheet's Apply as it reaches the page: the question, the test under the confirmation
// dialog, the revert, the page's own apply and its display change, and the persisted size
// after a colour-depth change; with the driver's requests in the order they were sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "screenarea_fixture.h"

namespace screenareatest {
namespace {

const std::pair<std::string, std::string> kPersistKey{"Default", "KVDrvViewportSize"};

using Events_ = std::vector<std::string>;

bool DialogEndedWith(int result)
{
    for (const winsim::JournalEntry& entry : winsim::Journal()) {
        if (entry.kind == winsim::JournalKind::Dialog && entry.text.starts_with("ended ") &&
            entry.text.ends_with(" with " + std::to_string(result))) {
            return true;
        }
    }
    return false;
}

int DialogsOpened()
{
    int opened = 0;
    for (const winsim::JournalEntry& entry : winsim::Journal()) {
        opened += entry.kind == winsim::JournalKind::Dialog && entry.text.starts_with("opened ") ? 1 : 0;
    }
    return opened;
}

// Native layout, 1024x768 at 16 bits showing 800x600 (screen position 1); the user picks
// 640x480 (position 0) before applying.
class ApplyTest : public ScreenAreaTest {
protected:
    void SetUp() override
    {
        Start();
        DragScreen(0);
        ForgetEvents();
    }
};

// The test itself: set the size and mode 0, after which the broadcast reaches the sheet
// inside the dialog's loop while the apply is still pending, and sets them once more.
Events_ TestOf640x480()
{
    return Join(
        {SetSize(640, 480), {"set mode 0", "displaychange"}, SetSize(640, 480), {"set mode 0", "unchanged"}});
}

TEST_F(ScreenAreaTest, ApplyWithTheScreenSliderUnmovedAsksNothingAndSendsNothing)
{
    Start();
    DragScreen(0);
    DragScreen(1);
    ForgetEvents();

    EXPECT_EQ(Apply(), PSNRET_NOERROR);

    EXPECT_EQ(Events(), (Events_{"page apply"}));
    EXPECT_TRUE(winsim::MessageBoxes().empty());
    EXPECT_FALSE(IsApplyPending());
    EXPECT_EQ(GetSavedScreenPos(), 1);
}

TEST_F(ApplyTest, CancelAtTheQuestionPutsTheSliderBackWithoutSettingTheSameSize)
{
    AnswerBox(IDCANCEL);

    EXPECT_EQ(Apply(), PSNRET_NOERROR);

    EXPECT_EQ(Events(), (Events_{"page apply", "ask"}));
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(Label(), SizeText(800, 600));
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
    EXPECT_EQ(DialogsOpened(), 0);
    EXPECT_FALSE(IsApplyPending());
    EXPECT_EQ(GetSavedScreenPos(), 1);
}

TEST_F(ApplyTest, CancelAtTheQuestionRestoresTheSavedSizeWhenTheDriverShowsAnother)
{
    Driver().config().viewport = {1024, 768};  // another program changed it
    AnswerBox(IDCANCEL);

    Apply();

    EXPECT_EQ(Events(), Join({{"page apply", "ask"}, SetSize(800, 600)}));
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
    // The broadcast of that change comes after the apply and finds nothing pending.
    winsim::PumpMessages();
    EXPECT_EQ(Events(), Join({{"page apply", "ask"}, SetSize(800, 600), {"displaychange"}}));
}

TEST_F(ApplyTest, YesKeepsTheNewSizeAndMakesItTheSavedPosition)
{
    AnswerBox(IDOK);
    InDialog(
        [](HWND) { EXPECT_FALSE(IsApplyPending()) << "the broadcast inside the dialog's loop applied"; });
    winsim::ScriptClickControl(IDYES);

    EXPECT_EQ(Apply(), PSNRET_NOERROR);

    EXPECT_EQ(Events(), Join({{"page apply", "ask"}, TestOf640x480(), {"dialog", "unchanged"}}));
    EXPECT_TRUE(DialogEndedWith(IDYES));
    EXPECT_EQ(Recorded().sheetMessages, (std::vector<UINT>{PSM_UNCHANGED, PSM_UNCHANGED}));
    EXPECT_EQ(Viewport(), (kvapi::Size{640, 480}));
    EXPECT_EQ(Driver().config().viewportMode, 0u);
    EXPECT_EQ(winsim::LiveTimers(), 0) << "the confirmation timer is stopped";
    EXPECT_FALSE(IsApplyPending());
    EXPECT_EQ(GetSavedScreenPos(), 0);

    // The next apply finds the slider where it was accepted.
    ForgetEvents();
    Apply();
    EXPECT_EQ(Events(), (Events_{"page apply"}));
}

TEST_F(ApplyTest, NoRestoresThePreviousSizeWithANotice)
{
    AnswerBox(IDOK);
    ClickInDialog(IDNO);
    AnswerBox(IDOK);

    EXPECT_EQ(Apply(), PSNRET_NOERROR);

    EXPECT_EQ(Events(), Join({{"page apply", "ask"},
                              TestOf640x480(),
                              {"dialog"},
                              SetSize(800, 600),
                              {"displaychange", "notice", "unchanged"}}));
    EXPECT_TRUE(DialogEndedWith(IDNO));
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(Label(), SizeText(800, 600));
    EXPECT_EQ(GetSavedScreenPos(), 1);
    EXPECT_EQ(winsim::LiveTimers(), 0);
}

TEST_F(ApplyTest, NoAnswerWithinFiveSecondsClosesTheDialogAsNoAndRestores)
{
    AnswerBox(IDOK);
    HWND dialog = nullptr;
    InDialog([&dialog](HWND open) { dialog = open; });
    winsim::ScriptAdvanceClock(4999);
    InDialog(
        [&dialog](HWND open) { EXPECT_EQ(open, dialog) << "still open one millisecond before the timer"; });
    winsim::ScriptAdvanceClock(1);
    AnswerBox(IDOK);

    Apply();

    EXPECT_EQ(Events(), Join({{"page apply", "ask"},
                              TestOf640x480(),
                              {"dialog", "dialog"},
                              SetSize(800, 600),
                              {"displaychange", "notice", "unchanged"}}));
    EXPECT_TRUE(DialogEndedWith(IDNO));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(GetSavedScreenPos(), 1);
    EXPECT_FALSE(IsApplyPending());
    EXPECT_EQ(winsim::LiveTimers(), 0);

    const std::vector<winsim::MessageBoxRecord>& boxes = winsim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, sheet_);
    EXPECT_EQ(boxes[0].caption, "Screen Area");
    EXPECT_TRUE(boxes[0].text.starts_with("The new screen area will now be put into force")) << boxes[0].text;
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONINFORMATION));
    EXPECT_EQ(boxes[1].owner, sheet_);
    EXPECT_EQ(boxes[1].caption, "Screen Area");
    EXPECT_TRUE(boxes[1].text.starts_with("The new screen area was not confirmed")) << boxes[1].text;
    EXPECT_EQ(boxes[1].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
}

// No test ran, and none is left under way.
void ExpectNoTest()
{
    EXPECT_EQ(DialogsOpened(), 0);
    EXPECT_FALSE(IsApplyPending());
    EXPECT_EQ(winsim::LiveTimers(), 0);
}

// A refused size is not tested: the controls go back to the size in force, so that the next
// Apply of the same choice asks again. The user is told when the library has the words for it.
struct RefusalCase {
    const char* name;
    const char* library;
    bool told;
    friend void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }
};

class RefusedSizeTest : public ScreenAreaTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedSizeTest, IsNotTestedAndTheControlsShowTheSizeInForce)
{
    Options options;
    options.library = GetParam().library;
    options.adapter.statusOverride[11] = kvapi::kStatusFailed;
    Start(options);
    DragScreen(0);
    ForgetEvents();
    winsim::ScriptAnswerMessageBox(IDOK);
    if (GetParam().told) {
        winsim::ScriptAnswerMessageBox(IDOK);
    }

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply", "set size 640x480", "unchanged"}));
    const std::vector<winsim::MessageBoxRecord>& boxes = winsim::MessageBoxes();
    ASSERT_EQ(boxes.size(), GetParam().told ? 2u : 1u);
    if (GetParam().told) {
        EXPECT_EQ(boxes[1].text,
                  "The display driver did not accept the new screen area. The screen area in force has not "
                  "changed.");
    }
    ExpectNoTest();
    ExpectInForceAndShown(1, {800, 600});
}

INSTANTIATE_TEST_SUITE_P(Libraries, RefusedSizeTest,
                         ::testing::Values(RefusalCase{"ShippedLibrary", KV_RLB_PATH, true},
                                           RefusalCase{"LibraryWithoutTheText", KV_NODIALOG_RLB_PATH, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Without the timer or the dialog nothing could bring the old size back, and a question that
// could not be asked was not agreed to: each ends with the previous size in force.
struct UnrunnableTestCase {
    const char* name;
    winsim::Fault fault;
    bool sizeTried;
    std::size_t boxes;    // the question, and the notice that the size was restored
    std::size_t answers;  // of the boxes that were shown
    friend void PrintTo(const UnrunnableTestCase& c, std::ostream* out) { *out << c.name; }
};

class UnrunnableTest : public ApplyTest, public ::testing::WithParamInterface<UnrunnableTestCase> {};

TEST_P(UnrunnableTest, LeavesThePreviousSizeInForce)
{
    for (std::size_t k = 0; k < GetParam().answers; ++k) {
        winsim::ScriptAnswerMessageBox(IDOK);
    }
    winsim::FailNext(GetParam().fault);

    Apply();

    const Events_ events = Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "set size 640x480"), GetParam().sizeTried ? 1 : 0);
    EXPECT_EQ(winsim::MessageBoxes().size(), GetParam().boxes);
    ExpectNoTest();
    ExpectInForceAndShown(1, {800, 600});
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UnrunnableTest,
    ::testing::Values(UnrunnableTestCase{"NoTimer", winsim::Fault::SetTimer, false, 2, 2},
                      UnrunnableTestCase{"NoDialog", winsim::Fault::DialogBox, true, 2, 2},
                      UnrunnableTestCase{"NoQuestion", winsim::Fault::MessageBox, false, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The sliders were moved to a larger desktop, but the page's own apply left the display mode
// as it was: the screen area stays within the desktop in force.
TEST_F(ScreenAreaTest, AScreenAreaLargerThanTheDesktopInForceIsNeverPutIntoForce)
{
    Start();
    DragScreen(4);
    ASSERT_EQ(DesktopPos(), 4);
    ForgetEvents();
    winsim::ScriptAnswerMessageBox(IDOK);
    winsim::ScriptAnswerMessageBox(IDOK);

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply", "unchanged"}));
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(winsim::MessageBoxes().size(), 2u);
}

// The user answers one millisecond before the timer is due, and its time then passes: in the
// dialog's loop for Yes, in the notice's loop for No. The answer stands, and there is one notice
// at most.
class AnswerBeforeTheTimerTest : public ApplyTest, public ::testing::WithParamInterface<int> {};

TEST_P(AnswerBeforeTheTimerTest, StandsWhenTheTimersTimeComes)
{
    const bool keep = GetParam() == IDYES;
    AnswerBox(IDOK);
    InDialog();
    winsim::ScriptAdvanceClock(4999);
    winsim::ScriptClickControl(GetParam());
    if (!keep) {
        winsim::ScriptAdvanceClock(10000);
        AnswerBox(IDOK);
    }

    Apply();
    winsim::AdvanceClock(10000);
    winsim::PumpMessages();

    EXPECT_TRUE(DialogEndedWith(GetParam()));
    EXPECT_EQ(Viewport(), keep ? (kvapi::Size{640, 480}) : (kvapi::Size{800, 600}));
    EXPECT_EQ(winsim::MessageBoxes().size(), keep ? 1u : 2u);
    EXPECT_EQ(GetSavedScreenPos(), keep ? 0 : 1);
    EXPECT_EQ(winsim::LiveTimers(), 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, AnswerBeforeTheTimerTest, ::testing::Values(IDYES, IDNO),
                         [](const auto& info) { return std::string(info.param == IDYES ? "Yes" : "No"); });

// ---- what reaches the page while the user is being asked ----

void BroadcastDisplayChange()
{
    winsim::ScriptCall("another program changes the display", [] {
        PostMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, 16, MAKELPARAM(1024, 768));
        winsim::PumpMessages();
        Note("other change");
    });
}

void ApplyAgain(HWND page)
{
    winsim::ScriptCall("Apply again", [page] {
        NMHDR header{GetParent(page), 0, static_cast<UINT>(PSN_APPLY)};
        SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    });
}

// A display change while the question is open leaves the answer to the user: Cancel keeps
// the screen area that was in force, untouched.
TEST_F(ApplyTest, ADisplayChangeDuringTheQuestionPutsNothingIntoForce)
{
    BroadcastDisplayChange();
    AnswerBox(IDCANCEL);

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply", "displaychange", "other change", "ask"}));
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
    EXPECT_EQ(ScreenPos(), 1);
}

// Apply pressed again while the question or the test is under way is the page's own: the test
// under way decides the screen area, and No still brings the previous one back.
TEST_F(ApplyTest, ASecondApplyDuringTheQuestionOrTheTestIsThePagesOwn)
{
    ApplyAgain(page_);
    AnswerBox(IDOK);
    InDialog();
    ApplyAgain(page_);
    winsim::ScriptClickControl(IDNO);
    AnswerBox(IDOK);

    Apply();

    const Events_ events = Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "page apply"), 3);
    EXPECT_EQ(std::count(events.begin(), events.end(), "ask"), 1);
    EXPECT_EQ(DialogsOpened(), 1);
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(GetSavedScreenPos(), 1);
    EXPECT_FALSE(IsApplyPending());
    EXPECT_EQ(winsim::LiveTimers(), 0);
}

TEST_F(ApplyTest, ThePageRefusingItsApplyPutsTheSliderBackWithoutAQuestion)
{
    Contract().verdict = PSNRET_INVALID_NOCHANGEPAGE;

    EXPECT_EQ(Apply(), PSNRET_INVALID_NOCHANGEPAGE);

    EXPECT_EQ(Events(), (Events_{"page apply"}));
    EXPECT_EQ(ScreenPos(), 1);
    EXPECT_EQ(Label(), SizeText(800, 600));
    EXPECT_TRUE(winsim::MessageBoxes().empty());
    EXPECT_FALSE(IsApplyPending());
    EXPECT_EQ(GetSavedScreenPos(), 1);
}

TEST_F(ScreenAreaTest, ThePageChangingTheResolutionGetsTheScreenAreaSetWithoutAQuestion)
{
    Start();
    DragDesktop(3);
    DragScreen(2);
    ForgetEvents();
    Contract().newMode = kvapi::Mode{1152, 864, 16, kRate};

    EXPECT_EQ(Apply(), PSNRET_NOERROR);

    // The page's display change sets the screen area inside the page's apply; the broadcast
    // that this setting sends finds the apply done and is ignored.
    EXPECT_EQ(Events(), Join({{"page apply", "displaychange"},
                              SetSize(1024, 768),
                              {"set mode 0", "unchanged", "displaychange"}}));
    EXPECT_TRUE(winsim::MessageBoxes().empty());
    EXPECT_EQ(DialogsOpened(), 0);
    EXPECT_EQ(Viewport(), (kvapi::Size{1024, 768}));
    EXPECT_EQ(GetSavedScreenPos(), 2);
    EXPECT_FALSE(IsApplyPending());

    // A display change after the apply is ignored as well.
    ForgetEvents();
    PostMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, 16, MAKELPARAM(1152, 864));
    winsim::PumpMessages();
    EXPECT_EQ(Events(), (Events_{"displaychange"}));
}

TEST_F(ScreenAreaTest, ADisplayChangeOutsideAnApplyOnlyRefreshesThePreview)
{
    Start();
    DragScreen(0);
    winsim::PumpMessages();
    ForgetEvents();
    HWND preview = GetDlgItem(page_, ControlId(RolePreviewControl));
    ASSERT_FALSE(GetUpdateRect(preview, nullptr, FALSE));

    SendMessageA(sheet_, WM_DISPLAYCHANGE, 16, MAKELPARAM(1024, 768));

    EXPECT_EQ(Events(), (Events_{"displaychange"}));
    EXPECT_TRUE(GetUpdateRect(preview, nullptr, FALSE)) << "the preview is invalidated";
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
    EXPECT_EQ(ScreenPos(), 0);
}

// ---- a colour-depth change ----

class ClonedApplyTest : public ScreenAreaTest {
protected:
    void SetUp() override
    {
        Options options;
        options.layout = LayoutCloned;
        Start(options);
    }
};

TEST_F(ClonedApplyTest, AChangedDepthPersistsTheScreenAreaWithoutAQuestion)
{
    PickDepthItem(1);  // 8 bits; 16 are in force
    DragScreen(0);
    ForgetEvents();

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply", "persist vpd0,640,480", "unchanged"}));
    EXPECT_EQ(Driver().config().persisted[kPersistKey], "vpd0,640,480");
    EXPECT_EQ(Viewport(), (kvapi::Size{800, 600}));
    EXPECT_TRUE(winsim::MessageBoxes().empty());
    EXPECT_EQ(GetSavedScreenPos(), 0);
}

TEST_F(ClonedApplyTest, AChangedDepthWithTheScreenAreaEqualToTheDesktopClearsThePersistedValue)
{
    Driver().config().persisted[kPersistKey] = "vpd0,800,600";
    PickDepthItem(1);
    DragScreen(2);
    ForgetEvents();

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply", "clear persisted", "unchanged"}));
    EXPECT_FALSE(Driver().config().persisted.contains(kPersistKey));
}

TEST_F(ClonedApplyTest, TheOtherDepthItemCountsAsAChangeEvenWithTheSliderUnmoved)
{
    PickDepthItem(0);
    ForgetEvents();

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply", "persist vpd0,800,600", "unchanged"}));
    EXPECT_EQ(Driver().config().persisted[kPersistKey], "vpd0,800,600");
}

TEST_F(ClonedApplyTest, TheDepthInForceTakesTheViewportPath)
{
    PickDepthItem(1);
    PickDepthItem(2);  // back to 16 bits
    DragScreen(0);
    ForgetEvents();
    AnswerBox(IDCANCEL);

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply", "ask"}));
    EXPECT_TRUE(Driver().config().persisted.empty());
}

// Without the depth combo box, or without the screen's depth, no change of depth can be told:
// the screen area is asked about and tested as for the depth in force.
class UntoldDepthTest : public ClonedApplyTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UntoldDepthTest, TakesTheViewportPath)
{
    DragScreen(0);
    ForgetEvents();
    AnswerBox(IDCANCEL);
    if (GetParam()) {
        DestroyWindow(depthCombo_);
    } else {
        winsim::FailNext(winsim::Fault::ScreenDc);
    }

    Apply();

    EXPECT_EQ(Events(), (Events_{"page apply", "ask"}));
    EXPECT_TRUE(Driver().config().persisted.empty());
    EXPECT_EQ(GetSavedScreenPos(), 1);
}

INSTANTIATE_TEST_SUITE_P(Depth, UntoldDepthTest, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "WithoutTheComboBox" : "WithoutTheScreensDepth");
});

TEST_F(ScreenAreaTest, TheNativeLayoutTestsTheScreenAreaDespiteADepthChange)
{
    Start();
    PickDepthItem(1);
    DragScreen(0);
    ForgetEvents();
    AnswerBox(IDOK);
    ClickInDialog(IDYES);

    Apply();

    EXPECT_EQ(Events(), Join({{"page apply", "ask"}, TestOf640x480(), {"dialog", "unchanged"}}));
    EXPECT_TRUE(Driver().config().persisted.empty());
    EXPECT_EQ(Viewport(), (kvapi::Size{640, 480}));
}

}  // namespace
}  // namespace screenareatest
