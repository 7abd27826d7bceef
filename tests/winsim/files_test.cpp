#include <gtest/gtest.h>
#include <winsim/control.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/sandbox.h"

namespace {

class Files : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(sandbox_.Path() / "system");
        std::ofstream(sandbox_.Path() / "system" / "KVSettng.RLB") << "x";
    }

    std::string Host(const std::string& relative) const { return sandbox_.Host(relative); }

    testsupport::Sandbox sandbox_;
};

}  // namespace

TEST_F(Files, MappedDirectoriesMatchWithoutRegardToCase)
{
    winsim::MapDirectory("C:\\WINDOWS\\", Host(""));
    winsim::MapDirectory("C:\\WINDOWS\\SYSTEM", Host("system"));
    EXPECT_EQ(winsim::HostPath("c:\\windows\\system\\KVAPI32.DLL"), Host("system/KVAPI32.DLL"));
    EXPECT_EQ(winsim::HostPath("C:/Windows/WIN.INI"), Host("WIN.INI"));
    EXPECT_EQ(winsim::HostPath("C:\\WINDOWS\\SYSTEM32\\X.DLL"), Host("SYSTEM32/X.DLL"));
    EXPECT_EQ(winsim::HostPath("D:\\WINDOWS\\X.DLL"), "");
    EXPECT_EQ(winsim::HostPath("C:\\WINDOWSX\\X.DLL"), "");
}

TEST_F(Files, HostFilesAreFoundWhateverTheCaseOfTheirName)
{
    winsim::MapDirectory("C:\\WINDOWS\\SYSTEM", Host("system"));
    EXPECT_EQ(winsim::HostPath("C:\\WINDOWS\\SYSTEM\\KVSETTNG.RLB"), Host("system/KVSettng.RLB"));
}

TEST_F(Files, DotsDoNotLeaveTheMappedDirectory)
{
    winsim::MapDirectory("C:\\WINDOWS\\SYSTEM", Host("system"));
    EXPECT_EQ(winsim::HostPath("C:\\WINDOWS\\SYSTEM\\..\\WIN.INI"), "");
    EXPECT_EQ(winsim::HostPath("C:\\WINDOWS\\SYSTEM\\.\\SUB\\..\\A.DLL"), Host("system/A.DLL"));
    EXPECT_EQ(winsim::HostPath("C:\\..\\..\\WINDOWS\\SYSTEM\\A.DLL"), Host("system/A.DLL"));
}
