#include <gtest/gtest.h>
#include <winsim/control.h>

#include <cstring>

TEST(Version, Windows98ByDefaultWithVersionInTheHighWordOfTheBuild)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_EQ(sizeof(info), 148u);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
    EXPECT_EQ(info.dwMajorVersion, 4u);
    EXPECT_EQ(info.dwMinorVersion, 10u);
    EXPECT_EQ(info.dwBuildNumber, 0x040A07CEu);
    EXPECT_STREQ(info.szCSDVersion, " ");
}

TEST(Version, NtFamilyReportsThePlainBuild)
{
    winsim::SetVersion({VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3"});
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_EQ(sizeof(info), 156u);
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&info)));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(info.dwBuildNumber, 2600u);
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 3");
}

TEST(Version, OtherSizesAreRefusedAndNothingIsWritten)
{
    for (DWORD size : {0u, 147u, 149u, 155u, 157u}) {
        OSVERSIONINFOEXA info;
        std::memset(&info, 0x5A, sizeof(info));
        info.dwOSVersionInfoSize = size;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&info))) << "size " << size;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << "size " << size;
        EXPECT_EQ(info.dwPlatformId, 0x5A5A5A5Au) << "size " << size;
    }
}
