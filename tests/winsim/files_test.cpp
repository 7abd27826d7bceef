#include <gtest/gtest.h>
#include <winsim/control.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

class Files : public testing::Test {
protected:
    void SetUp() override
    {
        root_ = std::filesystem::temp_directory_path() / ("winsim-files-" + std::to_string(::getpid()));
        std::filesystem::create_directories(root_ / "system");
        std::ofstream(root_ / "system" / "KVSettng.RLB") << "x";
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    std::string Host(const std::string& relative) const { return (root_ / relative).string(); }

    std::filesystem::path root_;
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
