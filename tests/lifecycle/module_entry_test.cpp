// The module entry: start-up in its order, refusing at the first failing step with a box
// only when the resource library is at fault; thread notifications and detach.
#include "kvsettng/exports.h"

#include <gtest/gtest.h>
#include <kvapi/winsim_glue.h>
#include <winsim/control.h>

#include <filesystem>
#include <string>

#include "driver/driver_link.h"
#include "library/resource_library.h"
#include "page/page_capture.h"
#include "records/page_records.h"
#include "support/component.h"

namespace {

namespace fs = std::filesystem;

using testsupport::kSystemDirectory;

class ModuleEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        system_.Copy(KV_RLB_PATH, "KVSettng.RLB");
        instance_ = testsupport::LoadComponentModule();
        ASSERT_NE(instance_, nullptr);
        driver_ = kvapi::InstallInWinsim(kSystemDirectory);
    }

    BOOL Attach() { return DllMain(instance_, DLL_PROCESS_ATTACH, nullptr); }

    void ExpectNothingStarted()
    {
        EXPECT_EQ(GetResourceLibrary(), nullptr);
        EXPECT_FALSE(IsPageHookInstalled());
        EXPECT_EQ(winsim::LiveHooks(), 0);
        EXPECT_EQ(GetHelpModule(), nullptr);
    }

    testsupport::Sandbox system_{kSystemDirectory};
    HINSTANCE instance_ = nullptr;
    HMODULE driver_ = nullptr;
};

TEST_F(ModuleEntryTest, StartsInOrderAndInstallsTheHookLast)
{
    EXPECT_EQ(Attach(), TRUE);
    EXPECT_TRUE(winsim::IsModuleLoaded(driver_));
    EXPECT_NE(GetResourceLibrary(), nullptr);
    EXPECT_EQ(GetHelpModule(), instance_);
    EXPECT_TRUE(IsPageHookInstalled());
    EXPECT_EQ(winsim::LiveHooks(), 1);
    EXPECT_TRUE(winsim::MessageBoxes().empty());

    EXPECT_EQ(DllMain(instance_, DLL_PROCESS_DETACH, nullptr), TRUE);
    EXPECT_EQ(winsim::LiveHooks(), 0);
    EXPECT_TRUE(winsim::IsModuleLoaded(driver_)) << "the driver link stays until the process ends";
    EXPECT_NE(GetResourceLibrary(), nullptr);
}

TEST_F(ModuleEntryTest, WindowsNtIsRefusedBeforeAnyLibraryIsLoaded)
{
    winsim::Version nt;
    nt.platformId = VER_PLATFORM_WIN32_NT;
    winsim::SetVersion(nt);
    EXPECT_EQ(Attach(), FALSE);
    EXPECT_FALSE(winsim::IsModuleLoaded(driver_));
    ExpectNothingStarted();
    EXPECT_TRUE(winsim::MessageBoxes().empty());
}

TEST_F(ModuleEntryTest, AFailingDriverLinkRefusesSilentlyBeforeTheResourceLibrary)
{
    kvapi::TheAdapter().config().interfaceId = 361;
    EXPECT_EQ(Attach(), FALSE);
    ExpectNothingStarted();
    EXPECT_TRUE(winsim::MessageBoxes().empty());
}

TEST_F(ModuleEntryTest, NoViewportsForTheLargestDesktopRefusesSilently)
{
    std::erase_if(kvapi::TheAdapter().config().viewports,
                  [](const kvapi::ViewportTable& table) { return table.width == 1600; });
    EXPECT_EQ(Attach(), FALSE);
    ExpectNothingStarted();
    EXPECT_TRUE(winsim::MessageBoxes().empty());
}

TEST_F(ModuleEntryTest, AMissingResourceLibraryShowsOneBoxAndInstallsNoHook)
{
    fs::remove(system_.Path() / "KVSettng.RLB");
    winsim::ScriptAnswerMessageBox(IDOK);
    EXPECT_EQ(Attach(), FALSE);
    EXPECT_EQ(winsim::MessageBoxes().size(), 1u);
    ExpectNothingStarted();
    EXPECT_TRUE(winsim::IsModuleLoaded(driver_)) << "nothing is rolled back";
}

TEST_F(ModuleEntryTest, ThreadNotificationsAndADetachAfterARefusalDoNothing)
{
    EXPECT_EQ(DllMain(instance_, DLL_THREAD_ATTACH, nullptr), TRUE);
    EXPECT_EQ(DllMain(instance_, DLL_THREAD_DETACH, nullptr), TRUE);
    EXPECT_FALSE(winsim::IsModuleLoaded(driver_));
    ExpectNothingStarted();

    kvapi::TheAdapter().config().interfaceId = 361;
    EXPECT_EQ(Attach(), FALSE);
    EXPECT_EQ(DllMain(instance_, DLL_PROCESS_DETACH, nullptr), TRUE);
    EXPECT_TRUE(winsim::MessageBoxes().empty());
    EXPECT_EQ(winsim::LiveHooks(), 0);
}

}  // namespace
