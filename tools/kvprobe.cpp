// kvprobe: makes the driver link exactly as the component's start-up does and prints what
// the component learns from the driver. On Linux it runs on winsim against the stand-in
// adapter (optionally configured from a file); built for Windows it runs against the
// KVAPI32.DLL that lies beside it.
#include "driver/driver_link.h"
#include "driver/mode_tables.h"
#include "driver/startup_queries.h"
#include "driver/viewport.h"
#include "platform/module_path.h"
#include "platform/platform.h"

#ifndef _WIN32
#include <winsim/control.h>

#include "kvapi/winsim_glue.h"
#endif

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* ResultName(DriverResult result)
{
    static const char* const kNames[] = {"Ok", "Partial", "Failed"};
    return result >= DriverOk && result <= DriverFailed ? kNames[result] : "?";
}

std::string SizeText(uint32_t packed)
{
    return std::to_string(PackedWidth(packed)) + "x" + std::to_string(PackedHeight(packed));
}

std::string ListText(const uint32_t* list)
{
    std::string text;
    for (int i = 0; list[i] != 0; ++i) {
        text += (i == 0 ? "" : " ") + SizeText(list[i]);
    }
    return text.empty() ? "(none)" : text;
}

std::string FunctionsText()
{
    std::string text;
    uint32_t count = GetDriverFunctionCount();
    for (uint32_t k = 1; k <= count && k <= 256; ++k) {
        if (HasDriverFunction(static_cast<DriverFunction>(k))) {
            text += (text.empty() ? "" : " ") + std::to_string(k);
        }
    }
    return text.empty() ? "(none)" : text;
}

std::string DriverLog(HINSTANCE self)
{
    char path[MAX_PATH];
    if (!PathBesideModule(self, "KVAPI32.DLL", path, sizeof path)) {
        return "";
    }
    typedef DWORD(WINAPI * GetLog)(LPSTR buffer, DWORD size);
    HMODULE driver = GetModuleHandleA(path);
    GetLog getLog = driver != nullptr ? ProcAs<GetLog>(GetProcAddress(driver, "KVAPIGetLog")) : nullptr;
    if (getLog == nullptr) {
        return "(the driver keeps no log)\n";
    }
    DWORD length = getLog(nullptr, 0);
    std::vector<char> text(length + 1);
    getLog(text.data(), static_cast<DWORD>(text.size()));
    return text.data();
}

void PrintModes()
{
    uint32_t count = ModeTableCount();
    std::printf("mode table: %u records\n", count);
    for (uint32_t i = 0; i < count; ++i) {
        ModeRecord mode = ModeTableRecord(i);
        std::printf("  %ux%u, %u bits, %u Hz\n", mode.width, mode.height, mode.depth, mode.rate);
    }
}

void PrintDepths()
{
    std::vector<uint32_t> sizes;
    for (const uint32_t* list = BuildDesktopSizeList(); *list != 0; ++list) {
        sizes.push_back(*list);
    }
    std::printf("depths per desktop size:\n");
    for (uint32_t packed : sizes) {
        std::string depths;
        for (const uint32_t* d = BuildDepthList(PackedWidth(packed), PackedHeight(packed)); *d != 0; ++d) {
            depths += (depths.empty() ? "" : " ") + std::to_string(*d);
        }
        std::printf("  %s: %s\n", SizeText(packed).c_str(), depths.c_str());
    }
}

int Probe(HINSTANCE self)
{
    DriverResult link = OpenDriverLink(self);
    std::printf("driver link: %s\n", ResultName(link));
    if (link != DriverOk) {
        std::printf("the component would refuse to load: the driver link failed\n");
        return 1;
    }
    RunDriverStartupQueries();
    bool largest = CheckLargestDesktopViewports();
    std::string startupLog = DriverLog(self);
    std::printf("handshake: interface %u, %u functions\n", GetDriverInterfaceId(), GetDriverFunctionCount());
    std::printf("capability map: %u bytes; functions %s\n", GetCapabilityMapSize(), FunctionsText().c_str());
    PrintModes();
    std::printf("desktop sizes: %s\n", ListText(BuildDesktopSizeList()).c_str());
    PrintDepths();
    std::printf("screen sizes (largest desktop at 8 bits): %s\n", ListText(BuildScreenSizeList()).c_str());
    uint32_t width = 0, height = 0, depth = 0, rate = 0;
    if (CurrentMode(&width, &height, &depth, &rate)) {
        std::printf("current mode: %ux%u, %u bits, %u Hz\n", width, height, depth, rate);
    }
    uint32_t viewportWidth = 0, viewportHeight = 0, x = 0, y = 0;
    GetViewportSize(&viewportWidth, &viewportHeight);
    GetViewportOrigin(&x, &y);
    std::printf("viewport: %ux%u at (%u, %u)\n", viewportWidth, viewportHeight, x, y);
    std::printf("start-up requests:\n%s", startupLog.c_str());
    if (!largest) {
        std::printf("the component would refuse to load: no screen areas for the largest desktop\n");
        return 1;
    }
    std::printf("the component would load\n");
    return 0;
}

#ifndef _WIN32
HINSTANCE SetUpWinsim(int argc, char** argv)
{
    const char* directory = "C:\\WINDOWS\\SYSTEM";
    HINSTANCE self = winsim::SetProcessImage(std::string(directory) + "\\KVPROBE.EXE");
    kvapi::AdapterConfig config = kvapi::DefaultConfig();
    if (argc == 3 && std::string(argv[1]) == "--config") {
        std::ifstream file(argv[2]);
        std::stringstream text;
        text << file.rdbuf();
        std::string error;
        auto parsed = kvapi::ParseConfig(text.str(), &error);
        if (!file || !parsed) {
            std::fprintf(stderr, "kvprobe: %s: %s\n", argv[2], file ? error.c_str() : "cannot be read");
            return nullptr;
        }
        config = *parsed;
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: kvprobe [--config FILE]\n");
        return nullptr;
    }
    kvapi::InstallInWinsim(directory, config);
    return self;
}
#endif

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    return Probe(GetModuleHandleA(nullptr));
#else
    HINSTANCE self = SetUpWinsim(argc, argv);
    return self != nullptr ? Probe(self) : 2;
#endif
}
