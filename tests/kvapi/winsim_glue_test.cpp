// The stand-in driver as winsim's KVAPI32.DLL, with winsim's display following it.
#include "kvapi/winsim_glue.h"
#include "kvapi/kvapi_proc.h"

#include <winsim/control.h>

#include <gtest/gtest.h>

#include <cstring>

namespace kvapi {
namespace {

using ProcType = DWORD(WINAPI*)(DWORD, DWORD, LPVOID, DWORD, DWORD);

TEST(WinsimGlue, LoadsAsKvapi32BesideTheGivenDirectory)
{
    InstallInWinsim("C:\\WINDOWS\\SYSTEM");
    const HMODULE module = LoadLibraryA("C:\\WINDOWS\\SYSTEM\\KVAPI32.DLL");
    ASSERT_NE(module, nullptr);
    const auto proc = ProcAs<ProcType>(GetProcAddress(module, "KVAPIProc"));
    ASSERT_NE(proc, nullptr);
    EXPECT_NE(GetProcAddress(module, "KVAPIGetLog"), nullptr);

    unsigned char block[20] = {1, 0, 0, 0, 0, 0, 0, 0, 'o', 'w', 'n', '0'};
    proc(kRequest, sizeof block, block, 0, 0);
    DWORD interfaceId = 0;
    std::memcpy(&interfaceId, block + 12, 4);
    EXPECT_EQ(interfaceId, 360u);
    EXPECT_EQ(TheAdapter().log().size(), 1u);
}

TEST(WinsimGlue, DisplayFollowsTheAdapter)
{
    AdapterConfig config = DefaultConfig();
    config.current = Mode{800, 600, 8, 72};
    config.viewport = Size{640, 480};
    InstallInWinsim("C:\\KV\\", config);
    EXPECT_EQ(winsim::GetDisplayMode().width, 800);
    EXPECT_EQ(winsim::GetDisplayMode().bitsPerPixel, 8);
    EXPECT_EQ(winsim::GetDisplayMode().refresh, 72);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);

    unsigned char block[20] = {11, 0, 0, 0, 0, 0, 0, 0, 'v', 'p', 'd', '0'};
    const DWORD size[2] = {800, 600};
    std::memcpy(block + 12, size, sizeof size);
    KVAPIProc(kRequest, sizeof block, block, 0, 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);

    ASSERT_TRUE(TheAdapter().SetMode(Mode{1280, 1024, 32, 0}));
    EXPECT_EQ(winsim::GetDisplayMode().width, 1280);
    EXPECT_EQ(winsim::GetDisplayMode().bitsPerPixel, 32);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
}

}  // namespace
}  // namespace kvapi
