// deskhost.exe: the stand-in Display control panel as a Windows program. It loads the
// sheet's registered extensions as the shell does, shows "Display Properties" with the
// Settings page in the layout asked for, and when the sheet has closed releases and unloads
// the extensions.
//
//   deskhost.exe [--layout cloned|native] [--driver PATH] [--display WxHxD] [--screenshot NAME]
//
// --driver names the display driver's KVAPI32.DLL (by default the one beside the registered
// extension, else the one beside deskhost.exe). --display first puts that display mode into
// force, as the system would have started in the driver's mode. --screenshot asks for a screenshot of the
// open sheet (see windows_screenshots.h) and then cancels it.
#include "deskhost/settings_page.h"
#include "windows_panel.h"
#include "windows_screenshots.h"

#include <cstdio>
#include <string>

namespace {

struct Arguments {
    deskhost::PageLayout layout = deskhost::PageLayout::Cloned;
    std::string driver;
    std::string screenshot;
    DWORD width = 0;
    DWORD height = 0;
    DWORD depth = 0;
};

std::string Directory(const std::string& path)
{
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string OwnDirectory()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length == 0 || length >= sizeof path ? std::string() : Directory(std::string(path, length));
}

bool ParseArguments(int argc, char** argv, Arguments& arguments)
{
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        const std::string value = i + 1 < argc ? argv[i + 1] : "";
        if (option == "--layout" && (value == "cloned" || value == "native")) {
            arguments.layout =
                value == "native" ? deskhost::PageLayout::Native : deskhost::PageLayout::Cloned;
        } else if (option == "--driver" && !value.empty()) {
            arguments.driver = value;
        } else if (option == "--display") {
            unsigned long width = 0;
            unsigned long height = 0;
            unsigned long depth = 0;
            if (std::sscanf(value.c_str(), "%lux%lux%lu", &width, &height, &depth) != 3) {
                return false;
            }
            arguments.width = width;
            arguments.height = height;
            arguments.depth = depth;
        } else if (option == "--screenshot" && !value.empty()) {
            arguments.screenshot = value;
        } else {
            return false;
        }
    }
    return true;
}

std::string DriverPath(const Arguments& arguments)
{
    if (!arguments.driver.empty()) {
        return arguments.driver;
    }
    for (const deskhost::SheetHandler& handler : deskhost::RegisteredDisplayHandlers()) {
        if (handler.classId == deskhost::kDisplayExtensionClassId) {
            return Directory(handler.serverPath) + "KVAPI32.DLL";
        }
    }
    return OwnDirectory() + "KVAPI32.DLL";
}

std::string& PendingScreenshot()
{
    static std::string name;
    return name;
}

// Runs inside the sheet's own message loop, once the sheet is up and painted.
void CALLBACK TakeScreenshotThenCancel(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    const HWND sheet = deskhost::DisplaySheetWindow();
    deskhost::RequestScreenshot(PendingScreenshot(), sheet);
    if (sheet != nullptr) {
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Arguments arguments;
    if (!ParseArguments(argc, argv, arguments)) {
        std::fprintf(stderr,
                     "usage: deskhost [--layout cloned|native] [--driver PATH] [--display WxHxD] "
                     "[--screenshot NAME]\n");
        return 2;
    }
    if (arguments.width != 0) {
        DEVMODEA mode{};
        mode.dmSize = sizeof mode;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
        mode.dmPelsWidth = arguments.width;
        mode.dmPelsHeight = arguments.height;
        mode.dmBitsPerPel = arguments.depth;
        if (ChangeDisplaySettingsA(&mode, 0) != DISP_CHANGE_SUCCESSFUL) {
            std::fprintf(stderr, "deskhost: the display cannot show %lux%lux%lu\n", arguments.width,
                         arguments.height, arguments.depth);
        }
    }
    std::vector<deskhost::ExtensionSession> extensions = deskhost::LoadRegisteredHandlers();
    std::printf("extensions loaded: %u\n", static_cast<unsigned>(extensions.size()));
    deskhost::SetSettingsPageOptions(
        deskhost::SettingsPageOptions{arguments.layout, DriverPath(arguments), false});

    if (!arguments.screenshot.empty()) {
        PendingScreenshot() = arguments.screenshot;
        SetTimer(nullptr, 0, 500, TakeScreenshotThenCancel);
    }
    const bool shown = deskhost::RunModalDisplaySheet(GetModuleHandleA(nullptr), arguments.layout,
                                                      deskhost::PagesOf(extensions));
    for (deskhost::ExtensionSession& session : extensions) {
        const deskhost::UnloadResult unloaded = deskhost::UnloadDisplayExtension(session);
        std::printf("extension released: DllCanUnloadNow %ld, %s\n", static_cast<long>(unloaded.canUnload),
                    unloaded.freed ? "unloaded" : "not unloaded");
    }
    if (!shown) {
        std::fprintf(stderr, "deskhost: the sheet could not be shown\n");
        return 1;
    }
    return 0;
}
