#include "library/resource_library.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "library/res_format.h"
#include "support/component.h"

namespace {

namespace fs = std::filesystem;

using testsupport::kSystemDirectory;
const std::string kLibraryPath = "C:\\WINDOWS\\SYSTEM\\KVSettng.RLB";

const std::string kExecutionError = "Execution Error";
const std::string kNeedsNewer = "This application requires a newer version of " + kLibraryPath + ".";
const std::string kCannotLoad = "This application cannot load the resource library " + kLibraryPath +
                                ". Either not enough memory or it does not exist.";
const std::string kNoMemory =
    "Not enough memory to load " + kLibraryPath + ". Please quit other applications to free up some memory.";

constexpr UINT kErrorBox = MB_OK | MB_ICONERROR;

struct Box {
    HWND owner;
    std::string text;
    std::string caption;
    UINT flags;
    int result;
};

std::vector<Box> ShownBoxes()
{
    std::vector<Box> boxes;
    for (const winsim::MessageBoxRecord& record : winsim::MessageBoxes()) {
        boxes.push_back({record.owner, record.text, record.caption, record.type, record.result});
    }
    return boxes;
}

// The component's module beside the library, and the system directory mapped to a fresh
// host directory into which each test puts the library it wants.
class ResourceLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = testsupport::LoadComponentModule();
        ASSERT_NE(module_, nullptr);
    }

    // Puts a library built from the test fixtures beside the module, as KVSettng.RLB unless
    // another name is given.
    void Install(std::string_view fixture, std::string_view name = "KVSettng.RLB")
    {
        InstallFile(fs::path(KV_FIXTURE_LIBRARY_DIR) / (std::string(fixture) + ".RLB"), name);
    }

    void InstallFile(const fs::path& source, std::string_view name = "KVSettng.RLB")
    {
        system_.Copy(source, name);
    }

    bool Load() { return LoadResourceLibrary(module_, "KVSettng.RLB", 2, 2); }

    // Loads the installed library and expects it refused with one error box, which the user
    // closes with OK.
    Box Refused()
    {
        winsim::ScriptAnswerMessageBox(IDOK);
        EXPECT_FALSE(Load());
        EXPECT_EQ(GetResourceLibrary(), nullptr);
        const std::vector<Box> boxes = ShownBoxes();
        EXPECT_EQ(boxes.size(), 1u);
        if (boxes.empty()) {
            return {};
        }
        EXPECT_EQ(boxes[0].flags, kErrorBox);
        EXPECT_EQ(boxes[0].owner, GetForegroundWindow());
        EXPECT_EQ(boxes[0].result, IDOK);
        return boxes[0];
    }

    static bool LibraryLoaded() { return GetModuleHandleA(kLibraryPath.c_str()) != nullptr; }

    testsupport::Sandbox system_{kSystemDirectory};
    HMODULE module_ = nullptr;
};

// ---- accepted libraries ----

TEST_F(ResourceLibraryTest, ANullFileNameLoadsNothingAndShowsNothing)
{
    Install("accepted");
    EXPECT_FALSE(LoadResourceLibrary(module_, nullptr, 2, 2));
    EXPECT_EQ(GetResourceLibrary(), nullptr);
    EXPECT_TRUE(ShownBoxes().empty());
    EXPECT_FALSE(LibraryLoaded());
}

TEST_F(ResourceLibraryTest, ALibraryAtTheVersionsItNamesIsAcceptedAndStaysLoaded)
{
    Install("accepted");
    ASSERT_TRUE(Load());
    EXPECT_NE(GetResourceLibrary(), nullptr);
    EXPECT_EQ(GetModuleHandleA(kLibraryPath.c_str()), GetResourceLibrary());
    EXPECT_TRUE(ShownBoxes().empty());
    EXPECT_STREQ(LoadResString(ResSettingsPageTitle), "Settings");
}

TEST_F(ResourceLibraryTest, AWideVersionRangeIsAccepted)
{
    Install("widerange");
    EXPECT_TRUE(Load());
    EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(ResourceLibraryTest, TheProjectsOwnLibraryIsAcceptedWithFittingFormats)
{
    InstallFile(KV_RLB_PATH);
    ASSERT_TRUE(Load());
    EXPECT_TRUE(ShownBoxes().empty());
    for (UINT id :
         {ResBoxCaption, ResSettingsPageTitle, ResNotConfirmedText, ResAboutToApplyText, ResHelpAreaText}) {
        EXPECT_NE(LoadResString(id), nullptr) << id;
    }
    EXPECT_NE(LoadResFormat(ResSizeFormat, "uu"), nullptr);
}

TEST_F(ResourceLibraryTest, TheExtraValueIsHandedBackWhateverTheStatus)
{
    Install("accepted");
    std::uint32_t extra = 0;
    HINSTANCE library = LoadVersionedLibrary(kLibraryPath.c_str(), 2, 2, &extra);
    EXPECT_NE(library, nullptr);
    EXPECT_EQ(extra, 0x12345678u);

    Install("format1", "FORMAT1.RLB");
    extra = 0;
    winsim::ScriptAnswerMessageBox(IDOK);
    EXPECT_EQ(LoadVersionedLibrary("C:\\WINDOWS\\SYSTEM\\FORMAT1.RLB", 2, 2, &extra), nullptr);
    EXPECT_EQ(extra, 7u);
}

// ---- refused libraries: built-in texts ----

TEST_F(ResourceLibraryTest, AMissingFileIsReportedWithItsFullPath)
{
    const Box box = Refused();
    EXPECT_EQ(box.text, kCannotLoad);
    EXPECT_EQ(box.caption, kExecutionError);
}

TEST_F(ResourceLibraryTest, ALibraryWithoutARecordIsTooOldAndUnloaded)
{
    Install("norecord");
    const Box box = Refused();
    EXPECT_EQ(box.text, kNeedsNewer);
    EXPECT_EQ(box.caption, kExecutionError);
    EXPECT_FALSE(LibraryLoaded());
}

TEST_F(ResourceLibraryTest, ARecordOfFormat1GetsTheBuiltInTextsThoughItsVersionsWouldPass)
{
    Install("format1");
    const Box box = Refused();
    EXPECT_EQ(box.text, kNeedsNewer);
    EXPECT_EQ(box.caption, kExecutionError);
    EXPECT_FALSE(LibraryLoaded());
}

TEST_F(ResourceLibraryTest, ARecordShorterThan12BytesIsNotRead)
{
    Install("shortrecord");
    std::uint32_t extra = 0xAAAAAAAA;
    winsim::ScriptAnswerMessageBox(IDOK);
    EXPECT_EQ(LoadVersionedLibrary(kLibraryPath.c_str(), 2, 2, &extra), nullptr);
    EXPECT_EQ(extra, 0xAAAAAAAAu);
    const std::vector<Box> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kNeedsNewer);
    EXPECT_EQ(boxes[0].caption, kExecutionError);
    EXPECT_FALSE(LibraryLoaded());
}

TEST_F(ResourceLibraryTest, AModulePathWithNoRoomForTheFileNameIsReportedAsNotLoadable)
{
    const std::string longDirectory = "C:\\" + std::string(250, 'D');
    const std::string longModule = longDirectory + "\\KVSETTNG.DLL";
    winsim::RegisterModule(longModule, {});
    HMODULE module = LoadLibraryA(longModule.c_str());
    ASSERT_NE(module, nullptr);

    winsim::ScriptAnswerMessageBox(IDOK);
    EXPECT_FALSE(LoadResourceLibrary(module, "KVSettng.RLB", 2, 2));
    const std::vector<Box> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "This application cannot load the resource library KVSettng.RLB. Either not enough "
              "memory or it does not exist.");
}

// ---- refused libraries that speak for themselves ----

TEST_F(ResourceLibraryTest, TooOldShowsTheLibrarysCaptionAndFirstText)
{
    Install("tooold");
    const Box box = Refused();
    EXPECT_EQ(box.caption, "Library Caption");
    EXPECT_EQ(box.text, "Library too old: " + kLibraryPath);
    EXPECT_FALSE(LibraryLoaded());
}

TEST_F(ResourceLibraryTest, TooNewShowsTheLibrarysSecondText)
{
    Install("toonew");
    const Box box = Refused();
    EXPECT_EQ(box.caption, "Library Caption");
    EXPECT_EQ(box.text, "Library too new: " + kLibraryPath);
    EXPECT_FALSE(LibraryLoaded());
}

TEST_F(ResourceLibraryTest, TheLibrarysTextsStartAtTheBaseItsRecordNames)
{
    Install("otherbase");
    const Box box = Refused();
    EXPECT_EQ(box.caption, "Library Caption");
    EXPECT_EQ(box.text, "Library too new: " + kLibraryPath);
}

TEST_F(ResourceLibraryTest, TheLibrarysCaptionIsCutAt31AndItsTextAt63Characters)
{
    Install("longtexts");
    const Box box = Refused();
    EXPECT_EQ(box.caption,
              std::string("Caption of the library that is longer than thirty-one characters").substr(0, 31));
    EXPECT_EQ(box.text,
              std::string("Too old: text of the library that is longer than sixty-three characters, with %s")
                  .substr(0, 63));
}

TEST_F(ResourceLibraryTest, ALibraryTextThatDoesNotTakeOnePathGivesWayToTheBuiltInText)
{
    Install("unfit");
    const Box box = Refused();
    EXPECT_EQ(box.text, kNeedsNewer);
    // The caption is shown as it stands, never used as a format.
    EXPECT_EQ(box.caption, "Library %s %n");
}

TEST_F(ResourceLibraryTest, MissingLibraryTextsShowEmpty)
{
    Install("notexts");
    const Box box = Refused();
    EXPECT_EQ(box.caption, "");
    EXPECT_EQ(box.text, "");
}

TEST_F(ResourceLibraryTest, ARecordThatCannotBeLoadedIsReportedAsNoMemory)
{
    Install("accepted");
    winsim::FailNext(winsim::Fault::LoadResource);
    const Box box = Refused();
    EXPECT_EQ(box.text, kNoMemory);
    EXPECT_EQ(box.caption, kExecutionError);
    EXPECT_FALSE(LibraryLoaded());
}

// ---- strings ----

TEST_F(ResourceLibraryTest, EveryStringSharesOneBuffer)
{
    Install("accepted");
    ASSERT_TRUE(Load());
    const char* first = LoadResString(ResBoxCaption);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "Screen Area");
    const char* second = LoadResString(40);
    EXPECT_EQ(second, first);
    EXPECT_STREQ(first, "Second string");
}

TEST_F(ResourceLibraryTest, AnEmptyOrMissingStringIsNull)
{
    Install("accepted");
    ASSERT_TRUE(Load());
    EXPECT_EQ(LoadResString(41), nullptr);
    EXPECT_EQ(LoadResString(42), nullptr) << "a string that ends at its first character is empty";
    EXPECT_EQ(LoadResString(999), nullptr);
}

TEST_F(ResourceLibraryTest, ASizeFormatThatDoesNotTakeTwoNumbersIsMissing)
{
    Install("unfitsize");
    ASSERT_TRUE(Load());
    EXPECT_NE(LoadResString(ResSizeFormat), nullptr);
    EXPECT_EQ(LoadResFormat(ResSizeFormat, "uu"), nullptr);

    char label[32] = "old";
    EXPECT_FALSE(FormatResString(label, sizeof label, LoadResFormat(ResSizeFormat, "uu"), "uu", 800u, 600u));
    EXPECT_STREQ(label, "");
}

TEST_F(ResourceLibraryTest, ShowResMessageShowsTheLibrarysTextsAndAnswers)
{
    Install("accepted");
    ASSERT_TRUE(Load());
    HWND owner = CreateWindowExA(0, "STATIC", "Display Properties", WS_POPUP, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    const char* held = LoadResString(40);
    winsim::ScriptAnswerMessageBox(IDCANCEL);
    EXPECT_EQ(ShowResMessage(owner, ResSettingsPageTitle, ResBoxCaption, MB_OKCANCEL | MB_ICONINFORMATION),
              IDCANCEL);
    EXPECT_STREQ(held, "Second string") << "the box's texts have buffers of their own";
    const std::vector<Box> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, owner);
    EXPECT_EQ(boxes[0].text, "Settings");
    EXPECT_EQ(boxes[0].caption, "Screen Area");
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OKCANCEL | MB_ICONINFORMATION));
}

TEST_F(ResourceLibraryTest, ShowResMessageShowsAMissingStringEmpty)
{
    Install("accepted");
    ASSERT_TRUE(Load());
    winsim::ScriptAnswerMessageBox(IDOK);
    EXPECT_EQ(ShowResMessage(nullptr, 999, ResBoxCaption, MB_OK), IDOK);
    const std::vector<Box> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "");
    EXPECT_EQ(boxes[0].caption, "Screen Area");
}

// ---- the record ----

TEST(LibraryVersionRecord, IsReadLittleEndianAndOnlyWhole)
{
    const std::uint8_t bytes[12] = {2, 0, 1, 0, 9, 0, 0xE8, 0x03, 0x78, 0x56, 0x34, 0x12};
    LibraryVersionRecord record{};
    ASSERT_TRUE(ReadLibraryVersionRecord(bytes, 12, &record));
    EXPECT_EQ(record.formatVersion, 2);
    EXPECT_EQ(record.oldestVersion, 1);
    EXPECT_EQ(record.currentVersion, 9);
    EXPECT_EQ(record.messageBaseId, 1000);
    EXPECT_EQ(record.extraValue, 0x12345678u);
    EXPECT_FALSE(ReadLibraryVersionRecord(bytes, 11, &record));
    EXPECT_FALSE(ReadLibraryVersionRecord(nullptr, 12, &record));
}

TEST(LibraryVersionRecord, EqualVersionsPassAndComparisonsAreUnsigned)
{
    const auto check = [](std::uint16_t format, std::uint16_t oldest, std::uint16_t current,
                          std::uint32_t required, std::uint32_t client) {
        return CheckLibraryVersion({format, oldest, current, 1000, 0}, required, client);
    };
    EXPECT_EQ(check(2, 2, 2, 2, 2), LibraryAccepted);
    EXPECT_EQ(check(2, 0, 9, 2, 2), LibraryAccepted);
    EXPECT_EQ(check(1, 2, 2, 2, 2), LibraryTooOld);
    EXPECT_EQ(check(2, 2, 1, 2, 2), LibraryTooOld);
    EXPECT_EQ(check(2, 3, 2, 2, 2), LibraryTooNew);
    // Too old is decided before too new.
    EXPECT_EQ(check(2, 3, 1, 2, 2), LibraryTooOld);
    EXPECT_EQ(check(2, 0xFFFF, 0xFFFF, 2, 0x10000), LibraryAccepted);
    EXPECT_EQ(check(2, 2, 0xFFFF, 0x10000, 2), LibraryTooOld);
}

}  // namespace
