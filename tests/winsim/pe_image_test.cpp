// Damaged copies of the resource library: every damage is refused safely, either when the
// file is loaded or when the damaged part is looked up, and nothing is read outside the file.
#include "pe_image.h"

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "pe_test_files.h"

namespace {

using pe_test::Bytes;
using pe_test::Layout;
using pe_test::Put16;
using pe_test::Put32;
using pe_test::U16;
using pe_test::U32;
using winsim::detail::PeImage;
using winsim::detail::ResourceData;
using winsim::detail::ResourceKey;
using winsim::detail::ResourceLookup;

constexpr const char* kDamagedPath = "C:\\WINDOWS\\SYSTEM\\DAMAGED.RLB";
constexpr std::uint32_t kHighBit = 0x80000000;

// Offsets from the resource root of the directories and entries on the way to a resource.
struct ResourcePath {
    std::size_t typeEntry = 0;
    std::size_t nameDirectory = 0;
    std::size_t nameEntry = 0;
    std::size_t languageDirectory = 0;
    std::size_t languageEntry = 0;
    std::size_t dataEntry = 0;
};

constexpr std::uint32_t kFirstName = 0xFFFFFFFF;

// The way to a resource of the given type and number, or to its first name.
ResourcePath PathTo(const Bytes& bytes, std::uint32_t type, std::uint32_t name)
{
    const std::size_t root = Layout(bytes).resourceRoot;
    ResourcePath path;
    path.typeEntry = Layout::EntryWithId(bytes, root, 0, type);
    path.nameDirectory = U32(bytes, root + path.typeEntry + 4) & ~kHighBit;
    path.nameEntry = name == kFirstName ? path.nameDirectory + 16
                                        : Layout::EntryWithId(bytes, root, path.nameDirectory, name);
    path.languageDirectory = U32(bytes, root + path.nameEntry + 4) & ~kHighBit;
    path.languageEntry = path.languageDirectory + 16;
    path.dataEntry = U32(bytes, root + path.languageEntry + 4);
    return path;
}

class Damaged : public testing::Test {
protected:
    void SetUp() override
    {
        bytes_ = pe_test::Library();
        layout_ = std::make_unique<Layout>(bytes_);
        root_ = layout_->resourceRoot;
        ASSERT_NE(root_, 0u);
    }

    HMODULE Load()
    {
        system_.Write("DAMAGED.RLB", bytes_);
        return LoadLibraryA(kDamagedPath);
    }

    void ExpectRefusedLoad(const std::string& what)
    {
        SetLastError(0);
        EXPECT_EQ(Load(), nullptr) << what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << what;
    }

    std::string String(HMODULE module, UINT id)
    {
        char buffer[300];
        const int count = LoadStringA(module, id, buffer, sizeof buffer);
        EXPECT_EQ(static_cast<std::size_t>(count), std::strlen(buffer));
        return buffer;
    }

    Bytes bytes_;
    std::unique_ptr<Layout> layout_;
    std::size_t root_ = 0;
    testsupport::Sandbox system_{pe_test::kSystem};
};

}  // namespace

TEST_F(Damaged, TruncatedHeadersAndSectionsAreRefused)
{
    const Bytes whole = bytes_;
    const std::size_t sectionsEnd = layout_->Section(layout_->sectionCount);
    for (std::size_t length :
         {std::size_t{1}, std::size_t{0x3C}, std::size_t{0x3F}, layout_->peHeader + 2, layout_->coff + 10,
          layout_->optional + 50, sectionsEnd - 1, layout_->ImageEnd(whole) - 1}) {
        bytes_.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        ExpectRefusedLoad("truncated to " + std::to_string(length));
    }
}

TEST_F(Damaged, HeadersPointingOutsideTheFileAreRefused)
{
    const Bytes whole = bytes_;
    auto damage = [&](std::size_t offset, std::uint32_t value, bool wide, const std::string& what) {
        bytes_ = whole;
        wide ? Put32(bytes_, offset, value) : Put16(bytes_, offset, value);
        ExpectRefusedLoad(what);
    };
    damage(0x3C, 0xFFFFFFF0, true, "PE header far outside");
    damage(0x3C, static_cast<std::uint32_t>(whole.size() - 2), true, "PE header at the end");
    damage(layout_->peHeader, 0x00004551, true, "signature");
    damage(layout_->coff, 0x8664, false, "machine");
    damage(layout_->optional, 0x020B, false, "PE32+");
    damage(layout_->coff + 16, 0xFFFF, false, "optional header size: section table outside");
    damage(layout_->coff + 2, 0xFFFF, false, "section count: section table outside");
    damage(layout_->coff + 16, 0x0010, false, "optional header too small");
    damage(layout_->Section(0) + 20, 0xFFFFFF00, true, "section data outside");
    damage(layout_->Section(layout_->sectionCount - 1) + 16, 0xFFFFFFFF, true, "section size overflows");
    damage(layout_->resourceField, 0x00F00000, true, "resources outside every section");
}

TEST_F(Damaged, ResourceDirectoriesThatLoopOrNestTooDeepAreRefusedOnLookup)
{
    const Bytes whole = bytes_;
    const ResourcePath strings = PathTo(whole, 6, 1);
    const ResourcePath record = PathTo(whole, 10, kFirstName);
    auto expectCorrupt = [&](const std::string& what) {
        const HMODULE module = Load();
        ASSERT_NE(module, nullptr) << what;
        EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(1), RT_STRING), nullptr) << what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << what;
        EXPECT_EQ(String(module, 10), "") << what;
        // The rest of the tree still serves.
        EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(103), RT_DIALOG), nullptr) << what;
        FreeLibrary(module);
    };

    bytes_ = whole;
    Put32(bytes_, root_ + strings.typeEntry + 4, kHighBit | 0);
    expectCorrupt("type directory back to the root");

    bytes_ = whole;
    Put32(bytes_, root_ + strings.nameEntry + 4,
          kHighBit | static_cast<std::uint32_t>(strings.nameDirectory));
    expectCorrupt("name directory back to itself");

    bytes_ = whole;
    Put32(bytes_, root_ + strings.languageEntry + 4,
          kHighBit | static_cast<std::uint32_t>(record.nameDirectory));
    expectCorrupt("a fourth level");

    bytes_ = whole;
    Put32(bytes_, root_ + strings.languageEntry + 4, 0x7FFFFFF0);
    expectCorrupt("data entry outside the tree");

    bytes_ = whole;
    Put16(bytes_, root_ + strings.nameDirectory + 14, 0xFFFF);
    expectCorrupt("entry count past the end");
}

TEST_F(Damaged, EntryCountPastTheEndOfTheRootRefusesEveryLookup)
{
    Put16(bytes_, root_ + 14, 0xFFFF);
    const HMODULE module = Load();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(100), RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
}

TEST_F(Damaged, NameOutsideTheTreeMatchesNothing)
{
    const ResourcePath record = PathTo(bytes_, 10, kFirstName);
    // The record's entry is the only named one in its directory.
    Put32(bytes_, root_ + record.nameDirectory + 16, kHighBit | 0x7FFFFFF0);
    const HMODULE module = Load();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(FindResourceA(module, "CustomVerInfo", RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(Damaged, DataOutsideTheFileIsRefusedOnLookup)
{
    const Bytes whole = bytes_;
    const std::size_t entry = root_ + PathTo(whole, 10, kFirstName).dataEntry;
    const std::uint32_t rva = U32(whole, entry);
    const std::uint32_t sectionEnd = layout_->resourceRva + U32(whole, layout_->resourceField + 4);
    struct Case {
        std::uint32_t rva;
        std::uint32_t size;
        const char* what;
    };
    for (const Case& c : {Case{rva, 0xFFFFFFFF, "size overflows"}, Case{0xFFFFFFF0, 12, "offset overflows"},
                          Case{rva, sectionEnd - rva + 0x200, "passes the end of the section"},
                          Case{0x00F00000, 12, "outside every section"}}) {
        bytes_ = whole;
        Put32(bytes_, entry, c.rva);
        Put32(bytes_, entry + 4, c.size);
        const HMODULE module = Load();
        ASSERT_NE(module, nullptr) << c.what;
        EXPECT_EQ(FindResourceA(module, "CustomVerInfo", RT_RCDATA), nullptr) << c.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << c.what;
        FreeLibrary(module);
    }
}

TEST_F(Damaged, StringBlocksShorterThanTheirCountsGiveNoString)
{
    const Bytes whole = bytes_;
    const std::size_t entry = root_ + PathTo(whole, 6, 1).dataEntry;
    const std::size_t block = layout_->FileOffset(whole, U32(whole, entry));
    const std::uint32_t blockSize = U32(whole, entry + 4);

    // String 10 opens block 1 (strings 0 to 9 are empty); it claims to run past the block.
    Put16(bytes_, block + 20, 0x7FFF);
    HMODULE module = Load();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(String(module, 10), "");
    EXPECT_EQ(String(module, 11), "");
    EXPECT_EQ(String(module, 9), "");
    EXPECT_EQ(String(module, 31), "%u by %u pixels");
    FreeLibrary(module);

    // The block's own size is cut short of the strings it holds.
    bytes_ = whole;
    Put32(bytes_, entry + 4, 24);
    module = Load();
    EXPECT_EQ(String(module, 10), "");
    EXPECT_EQ(String(module, 11), "");
    FreeLibrary(module);
    EXPECT_GT(blockSize, 24u);
}

namespace {

unsigned TouchEveryResource(const PeImage& image);

}  // namespace

// Cut anywhere before the end of the last section's data, the image is refused; cut in the
// symbols after it, which the loader does not read, it serves every resource. Every length is
// tried where headers, tables and the resource tree lie and in the symbols; in the pixel data,
// where only the end of the section is checked, one length in a hundred.
TEST_F(Damaged, TruncationAtEveryLengthIsRefusedByTheParser)
{
    const Bytes& whole = pe_test::Library();
    const auto sound = PeImage::Parse(whole);
    ASSERT_NE(sound, nullptr);
    const unsigned everything = TouchEveryResource(*sound);
    const std::size_t structureEnd = root_ + 0x400;
    const std::size_t imageEnd = layout_->ImageEnd(whole);
    std::size_t wronglyParsed = 0;
    std::size_t wronglyRefused = 0;
    for (std::size_t length = 0; length < whole.size(); ++length) {
        if (length > structureEnd && length + 64 < imageEnd && length % 101 != 0) {
            continue;
        }
        const auto image =
            PeImage::Parse(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
        if (length < imageEnd) {
            wronglyParsed += image != nullptr;
        } else {
            wronglyRefused += image == nullptr || TouchEveryResource(*image) != everything;
        }
    }
    EXPECT_EQ(wronglyParsed, 0u);
    EXPECT_EQ(wronglyRefused, 0u);
}

namespace {

// Looks up every resource the library holds and reads the first and last byte of each one
// found, so that data reaching outside the file shows under the address sanitizer.
unsigned TouchEveryResource(const PeImage& image)
{
    unsigned sum = 0;
    auto touch = [&](const ResourceKey& type, const ResourceKey& name) {
        ResourceData found;
        if (image.Find(type, name, found) == ResourceLookup::Found) {
            const auto data = image.Bytes().subspan(found.dataOffset, found.size);
            sum += found.size;
            if (!data.empty()) {
                sum += std::to_integer<unsigned>(data.front()) + std::to_integer<unsigned>(data.back());
            }
        }
    };
    auto id = [](std::uint16_t value) { return ResourceKey{true, value, {}}; };
    for (std::uint16_t bitmap : {100, 101, 102}) {
        touch(id(2), id(bitmap));
    }
    touch(id(5), id(103));
    for (std::uint16_t block : {1, 2, 3, 63, 64}) {
        touch(id(6), id(block));
    }
    touch(id(10), ResourceKey{false, 0, u"CUSTOMVERINFO"});
    return sum;
}

}  // namespace

TEST_F(Damaged, RandomByteFlipsNeverReadOutsideTheFile)
{
    const Bytes& whole = pe_test::Library();
    // Most flips land in the headers and the resource tree, where the structure is.
    const std::size_t structure = root_ + 0x400;
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> inStructure(0, structure - 1);
    std::uniform_int_distribution<std::size_t> anywhere(0, whole.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    int loaded = 0;
    unsigned sink = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes copy = whole;
        const int flips = 1 + round % 4;
        for (int i = 0; i < flips; ++i) {
            const std::size_t at = (round % 5 == 0) ? anywhere(random) : inStructure(random);
            copy[at] = static_cast<std::byte>(value(random));
        }
        if (auto image = PeImage::Parse(std::move(copy))) {
            ++loaded;
            sink += TouchEveryResource(*image);
        }
    }
    EXPECT_GT(loaded, 0);
    EXPECT_GE(sink, 0u);
}

TEST_F(Damaged, RandomFlipsInTheStringsAndTreeThroughTheApi)
{
    const Bytes whole = bytes_;
    const std::size_t entry = root_ + PathTo(whole, 6, 1).dataEntry;
    const std::size_t block = layout_->FileOffset(whole, U32(whole, entry));
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> inTree(root_, root_ + 0x210 - 1);
    std::uniform_int_distribution<std::size_t> inBlock(block, block + U32(whole, entry + 4) - 1);
    std::uniform_int_distribution<int> value(0, 255);
    for (int round = 0; round < 150; ++round) {
        bytes_ = whole;
        for (int i = 0; i < 3; ++i) {
            const std::size_t at = round % 2 == 0 ? inTree(random) : inBlock(random);
            bytes_[at] = static_cast<std::byte>(value(random));
        }
        const HMODULE module = Load();
        ASSERT_NE(module, nullptr) << "round " << round;
        for (UINT id : {10u, 11u, 15u, 20u, 21u, 30u, 31u, 1000u, 1001u, 1002u}) {
            char buffer[64];
            const int count = LoadStringA(module, id, buffer, sizeof buffer);
            ASSERT_GE(count, 0);
            ASSERT_LT(count, 64);
            ASSERT_EQ(buffer[count], '\0');
        }
        if (const HRSRC record = FindResourceA(module, "CustomVerInfo", RT_RCDATA)) {
            const auto* data = static_cast<const volatile std::uint8_t*>(LoadResource(module, record));
            const DWORD size = SizeofResource(module, record);
            for (DWORD i = 0; data != nullptr && i < size; ++i) {
                (void)data[i];
            }
        }
        ASSERT_TRUE(FreeLibrary(module));
    }
}
