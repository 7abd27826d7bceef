#include <gtest/gtest.h>
#include <winsim/control.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "pe_test_files.h"

namespace {

using pe_test::kLibraryPath;

std::int32_t AsSigned32(HMODULE module)
{
    return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(module));
}

std::string LoadedString(HMODULE module, UINT id, int size = 256)
{
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1, 'x');
    const int count = LoadStringA(module, id, buffer.data(), size);
    EXPECT_EQ(static_cast<std::size_t>(count), std::strlen(buffer.data())) << "string " << id;
    return buffer.data();
}

std::vector<std::uint8_t> ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type)
{
    const HRSRC found = FindResourceA(module, name, type);
    if (found == nullptr) {
        return {};
    }
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
    return data == nullptr ? std::vector<std::uint8_t>{}
                           : std::vector<std::uint8_t>(data, data + SizeofResource(module, found));
}

class Resources : public testing::Test {
protected:
    void SetUp() override
    {
        winsim::SetProcessImage("C:\\WINDOWS\\RUNDLL32.EXE");
        system_.Write("KVSettng.RLB", pe_test::Library());
    }

    testsupport::Sandbox system_{pe_test::kSystem};
};

}  // namespace

TEST_F(Resources, LibraryFromDiskLoadsWithItsPathAndCounts)
{
    const HMODULE library = LoadLibraryA("c:\\windows\\system\\KVSETTNG.RLB");
    ASSERT_NE(library, nullptr) << "error " << GetLastError();
    EXPECT_GE(AsSigned32(library), 32);
    char path[MAX_PATH] = {};
    EXPECT_EQ(GetModuleFileNameA(library, path, sizeof path),
              std::strlen("c:\\windows\\system\\KVSETTNG.RLB"));
    EXPECT_STREQ(path, "c:\\windows\\system\\KVSETTNG.RLB");

    EXPECT_EQ(LoadLibraryA(kLibraryPath), library);
    EXPECT_EQ(GetModuleHandleA("KVSETTNG.RLB"), library);
    EXPECT_EQ(winsim::ModuleLoadCount(library), 2);
    EXPECT_EQ(GetProcAddress(library, "DllMain"), nullptr);

    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_TRUE(winsim::IsModuleLoaded(library));
    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_FALSE(winsim::IsModuleLoaded(library));
    EXPECT_EQ(FindResourceA(library, "CustomVerInfo", RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FreeLibrary(library));

    // Loaded again, the file is read again and keeps its handle.
    EXPECT_EQ(LoadLibraryA(kLibraryPath), library);
    EXPECT_EQ(LoadedString(library, 10), "Screen Area");
    EXPECT_TRUE(FreeLibrary(library));
}

TEST_F(Resources, BareNameIsLookedForBesideTheProcessImage)
{
    winsim::SetProcessImage("C:\\WINDOWS\\SYSTEM\\RUNDLL32.EXE");
    const HMODULE library = LoadLibraryA("KVSettng.RLB");
    ASSERT_NE(library, nullptr) << "error " << GetLastError();
    char path[MAX_PATH] = {};
    GetModuleFileNameA(library, path, sizeof path);
    EXPECT_STREQ(path, kLibraryPath);
}

TEST_F(Resources, MissingAndInvalidFilesAreRefused)
{
    EXPECT_EQ(LoadLibraryA("C:\\WINDOWS\\SYSTEM\\NOWHERE.RLB"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA("D:\\UNMAPPED\\KVSettng.RLB"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    system_.Write("TEXT.RLB", {std::byte{'M'}, std::byte{'Z'}, std::byte{'!'}});
    EXPECT_EQ(LoadLibraryA("C:\\WINDOWS\\SYSTEM\\TEXT.RLB"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
    system_.Write("EMPTY.RLB", {});
    EXPECT_EQ(LoadLibraryA("C:\\WINDOWS\\SYSTEM\\EMPTY.RLB"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
}

TEST_F(Resources, StringsOfTheLibrary)
{
    const HMODULE library = LoadLibraryA(kLibraryPath);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(LoadedString(library, 10), "Screen Area");
    EXPECT_EQ(LoadedString(library, 11), "Settings");
    EXPECT_EQ(LoadedString(library, 31), "%u by %u pixels");
    for (UINT id : {20u, 21u, 30u, 1000u, 1001u, 1002u}) {
        EXPECT_FALSE(LoadedString(library, id).empty()) << "string " << id;
    }
    EXPECT_NE(LoadedString(library, 21).find("\n\n"), std::string::npos);
    // Only the low word names the string.
    EXPECT_EQ(LoadedString(library, MAKELONG(10, 0xFFFF)), "Screen Area");
}

TEST_F(Resources, StringsAreCutToTheBufferAndCountedAsWindowsDoes)
{
    const HMODULE library = LoadLibraryA(kLibraryPath);
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LoadStringA(library, 10, buffer, 6), 5);
    EXPECT_STREQ(buffer, "Scree");
    EXPECT_EQ(buffer[6], 'x');

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LoadStringA(library, 10, buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LoadStringA(library, 11, buffer, 9), 8);
    EXPECT_STREQ(buffer, "Settings");
    EXPECT_EQ(LoadStringA(library, 11, buffer, 8), 7);
    EXPECT_STREQ(buffer, "Setting");

    // A size of 0 writes nothing, whatever the buffer.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LoadStringA(library, 10, buffer, 0), -1);
    EXPECT_EQ(LoadStringA(library, 10, nullptr, 0), -1);
    EXPECT_EQ(LoadStringA(library, 10, buffer, -5), -1);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(LoadStringA(library, 10, nullptr, 10), 0);
}

TEST_F(Resources, MissingStringsAreEmpty)
{
    const HMODULE library = LoadLibraryA(kLibraryPath);
    char buffer[16] = "untouched";
    SetLastError(0);
    EXPECT_EQ(LoadStringA(library, 12, buffer, sizeof buffer), 0);  // in a block that exists
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetLastError(), 0u);

    std::strcpy(buffer, "untouched");
    EXPECT_EQ(LoadStringA(library, 40, buffer, sizeof buffer), 0);  // no such block
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));

    std::strcpy(buffer, "untouched");
    const HMODULE driver = winsim::RegisterModule("C:\\WINDOWS\\SYSTEM\\KVAPI32.DLL", {});
    ASSERT_EQ(LoadLibraryA("C:\\WINDOWS\\SYSTEM\\KVAPI32.DLL"), driver);
    EXPECT_EQ(LoadStringA(driver, 10, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(LoadStringA(nullptr, 10, buffer, sizeof buffer), 0);
}

TEST_F(Resources, PicturesDialogAndVersionRecordAreFound)
{
    const HMODULE library = LoadLibraryA(kLibraryPath);
    for (int id : {100, 101, 102}) {
        const auto bitmap = ResourceBytes(library, MAKEINTRESOURCEA(id), RT_BITMAP);
        ASSERT_GE(bitmap.size(), 40u) << "bitmap " << id;
        EXPECT_EQ(bitmap[0], 40) << "BITMAPINFOHEADER of bitmap " << id;
    }
    const HRSRC dialog = FindResourceA(library, MAKEINTRESOURCEA(103), RT_DIALOG);
    EXPECT_NE(dialog, nullptr);
    EXPECT_EQ(FindResourceA(library, "#103", RT_DIALOG), dialog);
    EXPECT_EQ(FindResourceA(library, "#103", "#5"), dialog);

    const auto record = ResourceBytes(library, "CustomVerInfo", RT_RCDATA);
    const std::vector<std::uint8_t> expected = {2, 0, 2, 0, 2, 0, 0xE8, 0x03, 0, 0, 0, 0};
    EXPECT_EQ(record, expected);
}

TEST_F(Resources, NamesCompareWithoutRegardToCase)
{
    const HMODULE library = LoadLibraryA(kLibraryPath);
    const HRSRC record = FindResourceA(library, "CustomVerInfo", RT_RCDATA);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(FindResourceA(library, "customverinfo", RT_RCDATA), record);
    EXPECT_EQ(FindResourceA(library, "CUSTOMVERINFO", MAKEINTRESOURCEA(10)), record);
    EXPECT_EQ(SizeofResource(library, record), 12u);
    EXPECT_EQ(FindResourceA(library, "CustomVerInf", RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(Resources, WhatIsNotThereIsReportedByLevel)
{
    const HMODULE library = LoadLibraryA(kLibraryPath);
    EXPECT_EQ(FindResourceA(library, MAKEINTRESOURCEA(1), RT_MENU), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(FindResourceA(library, MAKEINTRESOURCEA(104), RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceA(library, "#65536", RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(100), RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST_F(Resources, LoadedDataIsTheLockedDataAndFreeingDoesNothing)
{
    const HMODULE library = LoadLibraryA(kLibraryPath);
    const HRSRC record = FindResourceA(library, "CustomVerInfo", RT_RCDATA);
    const HGLOBAL data = LoadResource(library, record);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(LockResource(data), data);
    EXPECT_EQ(LoadResource(library, record), data);
    EXPECT_FALSE(FreeResource(data));
    EXPECT_EQ(LockResource(data), data);

    EXPECT_EQ(LoadResource(library, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(library, nullptr), 0u);
    // A handle of another module's resource is not one of this module's.
    const HRSRC elsewhere = reinterpret_cast<HRSRC>(const_cast<char*>("not a resource"));
    EXPECT_EQ(LoadResource(library, elsewhere), nullptr);
    EXPECT_EQ(SizeofResource(library, elsewhere), 0u);
}

TEST_F(Resources, LoadResourceFailsWhenTold)
{
    const HMODULE library = LoadLibraryA(kLibraryPath);
    const HRSRC record = FindResourceA(library, "CustomVerInfo", RT_RCDATA);
    winsim::FailNext(winsim::Fault::LoadResource);
    EXPECT_EQ(LoadResource(library, record), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_NE(LoadResource(library, record), nullptr);

    winsim::FailNext(winsim::Fault::LoadResource);
    char buffer[16] = "untouched";
    EXPECT_EQ(LoadStringA(library, 10, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(LoadedString(library, 10), "Screen Area");
}

TEST_F(Resources, StringsAreConvertedToTheAnsiCodePage)
{
    // String 10 ("Screen Area") rewritten in place: e-acute, the euro sign, a CJK character.
    pe_test::Bytes bytes = pe_test::Library();
    const std::u16string original = u"Screen Area";
    std::size_t at = 0;
    for (std::size_t i = 0; i + 2 + original.size() * 2 <= bytes.size(); i += 2) {
        bool match = pe_test::U16(bytes, i) == original.size();
        for (std::size_t k = 0; match && k < original.size(); ++k) {
            match = pe_test::U16(bytes, i + 2 + k * 2) == original[k];
        }
        if (match) {
            at = i + 2;
            break;
        }
    }
    ASSERT_NE(at, 0u);
    pe_test::Put16(bytes, at, 0x00E9);
    pe_test::Put16(bytes, at + 2, 0x20AC);
    pe_test::Put16(bytes, at + 4, 0x4E2D);
    pe_test::Put16(bytes, at + 6, 0x0080);
    system_.Write("LATIN.RLB", bytes);

    const HMODULE library = LoadLibraryA("C:\\WINDOWS\\SYSTEM\\LATIN.RLB");
    EXPECT_EQ(LoadedString(library, 10), "\xE9\x80??en Area");
}
