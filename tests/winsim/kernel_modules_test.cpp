#include <gtest/gtest.h>
#include <winsim/control.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct EntryCall {
    HINSTANCE instance;
    DWORD reason;
    LPVOID reserved;
};

std::vector<EntryCall> g_calls;
BOOL g_attachAnswer = TRUE;

BOOL WINAPI RecordingEntry(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    g_calls.push_back({instance, reason, reserved});
    return reason == DLL_PROCESS_ATTACH ? g_attachAnswer : TRUE;
}

INT_PTR WINAPI Answer42()
{
    return 42;
}

constexpr const char* kDriverPath = "C:\\WINDOWS\\SYSTEM\\KVAPI32.DLL";

std::int32_t AsSigned32(HMODULE module)
{
    return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(module));
}

}  // namespace

TEST(KernelModules, HandlesReadAsNumbersOf32OrMore)
{
    const HMODULE image = winsim::SetProcessImage("C:\\WINDOWS\\RUNDLL32.EXE");
    const HMODULE first = winsim::RegisterModule(kDriverPath, {});
    const HMODULE second = winsim::RegisterModule("C:\\WINDOWS\\SYSTEM\\OTHER.DLL", {});
    EXPECT_NE(first, second);
    EXPECT_GE(AsSigned32(image), 32);
    EXPECT_EQ(LoadLibraryA(kDriverPath), first);
    EXPECT_EQ(LoadLibraryA("C:\\WINDOWS\\SYSTEM\\OTHER.DLL"), second);
    EXPECT_GE(AsSigned32(first), 32);
    EXPECT_GE(AsSigned32(second), 32);
}

TEST(KernelModules, LoadsAreCountedAndEntryRunsOnFirstLoadAndLastFree)
{
    const HMODULE module = winsim::RegisterModule(kDriverPath, {}, RecordingEntry);
    EXPECT_FALSE(winsim::IsModuleLoaded(module));

    EXPECT_EQ(LoadLibraryA(kDriverPath), module);
    EXPECT_EQ(LoadLibraryA(kDriverPath), module);
    EXPECT_EQ(winsim::ModuleLoadCount(module), 2);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].reason, static_cast<DWORD>(DLL_PROCESS_ATTACH));
    EXPECT_EQ(g_calls[0].instance, module);

    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_TRUE(FreeLibrary(module));
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[1].reason, static_cast<DWORD>(DLL_PROCESS_DETACH));
    EXPECT_EQ(g_calls[1].reserved, nullptr);
    EXPECT_FALSE(winsim::IsModuleLoaded(module));

    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(KernelModules, RefusedAttachFailsTheLoadAfterADetach)
{
    g_attachAnswer = FALSE;
    const HMODULE module = winsim::RegisterModule(kDriverPath, {{"KVAPIProc", Answer42}}, RecordingEntry);

    EXPECT_EQ(LoadLibraryA(kDriverPath), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].reason, static_cast<DWORD>(DLL_PROCESS_ATTACH));
    EXPECT_EQ(g_calls[1].reason, static_cast<DWORD>(DLL_PROCESS_DETACH));
    EXPECT_FALSE(winsim::IsModuleLoaded(module));
    EXPECT_EQ(GetProcAddress(module, "KVAPIProc"), nullptr);

    g_attachAnswer = TRUE;
    EXPECT_EQ(LoadLibraryA(kDriverPath), module);
    EXPECT_EQ(winsim::ModuleLoadCount(module), 1);
}

TEST(KernelModules, GetModuleFileNameCopiesWhatFitsAndTerminatesOnlyWithRoom)
{
    const HMODULE module = winsim::RegisterModule(kDriverPath, {});
    ASSERT_EQ(LoadLibraryA(kDriverPath), module);
    const DWORD length = static_cast<DWORD>(std::strlen(kDriverPath));

    char buffer[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameA(module, buffer, sizeof(buffer)), length);
    EXPECT_STREQ(buffer, kDriverPath);

    std::memset(buffer, '#', sizeof(buffer));
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetModuleFileNameA(module, buffer, length), length);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(buffer, length), kDriverPath);
    EXPECT_EQ(buffer[length], '#');

    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(GetModuleFileNameA(module, buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, 6), "C:\\WI#");

    EXPECT_EQ(GetModuleFileNameA(module, buffer, length + 1), length);
    EXPECT_STREQ(buffer, kDriverPath);
}

TEST(KernelModules, GetModuleFileNameOfNullIsTheImageAndOfAnUnloadedModuleFails)
{
    winsim::SetProcessImage("C:\\WINDOWS\\EXPLORER.EXE");
    const HMODULE notLoaded = winsim::RegisterModule(kDriverPath, {});
    char buffer[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof(buffer)), std::strlen("C:\\WINDOWS\\EXPLORER.EXE"));
    EXPECT_STREQ(buffer, "C:\\WINDOWS\\EXPLORER.EXE");
    EXPECT_EQ(GetModuleFileNameA(notLoaded, buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(KernelModules, LoadLibraryFindsModulesByPathOrBareFileNameWithoutRegardToCase)
{
    const HMODULE module = winsim::RegisterModule(kDriverPath, {});
    EXPECT_EQ(LoadLibraryA("c:\\windows\\system\\kvapi32.dll"), module);
    EXPECT_EQ(LoadLibraryA("C:/WINDOWS/SYSTEM/KVAPI32.DLL"), module);
    EXPECT_EQ(LoadLibraryA("KvApi32.dll"), module);
    EXPECT_EQ(LoadLibraryA("KVAPI32"), module);
    EXPECT_EQ(winsim::ModuleLoadCount(module), 4);
    EXPECT_EQ(GetModuleHandleA("kvapi32"), module);

    EXPECT_EQ(LoadLibraryA("C:\\OTHER\\KVAPI32.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA("MISSING.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(KernelModules, GetModuleHandleFindsOnlyLoadedModules)
{
    const HMODULE module = winsim::RegisterModule(kDriverPath, {});
    EXPECT_EQ(GetModuleHandleA("KVAPI32.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    ASSERT_EQ(LoadLibraryA(kDriverPath), module);
    EXPECT_EQ(GetModuleHandleA(kDriverPath), module);
    EXPECT_EQ(winsim::ModuleLoadCount(module), 1);
}

TEST(KernelModules, GetProcAddressByNameAndOrdinal)
{
    const HMODULE module = winsim::RegisterModule(kDriverPath, {{"KVAPIProc", Answer42}});
    EXPECT_EQ(GetProcAddress(module, "KVAPIProc"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    ASSERT_EQ(LoadLibraryA(kDriverPath), module);
    const FARPROC proc = GetProcAddress(module, "KVAPIProc");
    ASSERT_NE(proc, nullptr);
    EXPECT_EQ(proc(), 42);
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(1)), proc);
    EXPECT_EQ(GetProcAddress(module, "kvapiproc"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(2)), nullptr);
}

TEST(KernelModules, InjectedLoadFailureLeavesTheModuleAlone)
{
    const HMODULE module = winsim::RegisterModule(kDriverPath, {}, RecordingEntry);
    winsim::FailNext(winsim::Fault::LoadLibrary);
    EXPECT_EQ(LoadLibraryA(kDriverPath), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(LoadLibraryA(kDriverPath), module);

    winsim::FailNext(winsim::Fault::LoadLibrary, -1);
    EXPECT_EQ(LoadLibraryA(kDriverPath), nullptr);
    EXPECT_EQ(LoadLibraryA(kDriverPath), nullptr);
    EXPECT_EQ(winsim::ModuleLoadCount(module), 1);
    winsim::ClearFaults();
    EXPECT_EQ(LoadLibraryA(kDriverPath), module);
}

namespace {

std::string g_pathSeenAtAttach;
HMODULE g_dependency = nullptr;

BOOL WINAPI EntryThatLoadsItsNeighbour(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(instance, path, sizeof(path));
        g_pathSeenAtAttach = path;
        g_dependency = LoadLibraryA("KVAPI32.DLL");
    }
    g_calls.push_back({instance, reason, nullptr});
    return TRUE;
}

}  // namespace

TEST(KernelModules, EntryMayAskForItsNameAndLoadModulesDuringAttach)
{
    const HMODULE driver = winsim::RegisterModule(kDriverPath, {}, RecordingEntry);
    const HMODULE component =
        winsim::RegisterModule("C:\\WINDOWS\\SYSTEM\\KVSETTNG.DLL", {}, EntryThatLoadsItsNeighbour);
    ASSERT_EQ(LoadLibraryA("C:\\WINDOWS\\SYSTEM\\KVSETTNG.DLL"), component);
    EXPECT_EQ(g_pathSeenAtAttach, "C:\\WINDOWS\\SYSTEM\\KVSETTNG.DLL");
    EXPECT_EQ(g_dependency, driver);
    EXPECT_TRUE(winsim::IsModuleLoaded(driver));
}

TEST(KernelModules, EndProcessDetachesInReverseLoadOrder)
{
    const HMODULE first = winsim::RegisterModule("C:\\A\\FIRST.DLL", {}, RecordingEntry);
    const HMODULE second = winsim::RegisterModule("C:\\A\\SECOND.DLL", {}, RecordingEntry);
    const HMODULE unloaded = winsim::RegisterModule("C:\\A\\UNLOADED.DLL", {}, RecordingEntry);
    ASSERT_EQ(LoadLibraryA("FIRST.DLL"), first);
    ASSERT_EQ(LoadLibraryA("SECOND.DLL"), second);
    ASSERT_EQ(LoadLibraryA("SECOND.DLL"), second);
    g_calls.clear();

    winsim::EndProcess();
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].instance, second);
    EXPECT_EQ(g_calls[1].instance, first);
    EXPECT_EQ(g_calls[0].reason, static_cast<DWORD>(DLL_PROCESS_DETACH));
    EXPECT_NE(g_calls[0].reserved, nullptr);
    EXPECT_FALSE(winsim::IsModuleLoaded(first));
    EXPECT_FALSE(winsim::IsModuleLoaded(second));
    EXPECT_FALSE(winsim::IsModuleLoaded(unloaded));
}

TEST(KernelProcess, TheErrorModeIsAnsweredCountedAndSeenByLoads)
{
    EXPECT_EQ(SetErrorMode(SEM_NOOPENFILEERRORBOX), 0u);
    EXPECT_EQ(winsim::CurrentErrorMode(), static_cast<UINT>(SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(LoadLibraryA("C:\\NOWHERE\\MISSING.DLL"), nullptr);
    EXPECT_EQ(winsim::ErrorModeAtLastLoad(), static_cast<UINT>(SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(SetErrorMode(0), static_cast<UINT>(SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(winsim::SetErrorModeCalls(), 2);
    EXPECT_EQ(GetCurrentThreadId(), GetCurrentThreadId());
    EXPECT_NE(GetCurrentThreadId(), 0u);
}
