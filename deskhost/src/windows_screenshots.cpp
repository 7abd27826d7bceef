// The panel's side of the screenshot exchange: two files in a shared directory.
#include "windows_screenshots.h"

#include <cstdlib>
#include <fstream>

namespace deskhost {
namespace {

constexpr DWORD kLongestWait = 10000;

std::string Directory()
{
    const char* directory = std::getenv("KV_SCREENSHOT_DIR");
    return directory != nullptr ? directory : "";
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Lets the windows paint before the picture is taken and while it is taken.
void PumpFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

}  // namespace

bool ScreenshotsWanted()
{
    return !Directory().empty();
}

void RequestScreenshot(const std::string& name, HWND window)
{
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window != nullptr) {
        GetWindowRect(window, &area);
    }
    RequestScreenshot(name, area);
}

void RequestScreenshot(const std::string& name, const RECT& rect)
{
    const std::string directory = Directory();
    if (directory.empty()) {
        return;
    }
    const std::string base = directory + "\\" + name;
    DeleteFileA((base + ".done").c_str());
    PumpFor(300);
    // Written whole under another name first: the taker must never read half a request.
    std::ofstream(base + ".part") << rect.left << ' ' << rect.top << ' ' << rect.right - rect.left << ' '
                                  << rect.bottom - rect.top << '\n';
    MoveFileA((base + ".part").c_str(), (base + ".request").c_str());
    const DWORD start = GetTickCount();
    while (!Exists(base + ".done") && GetTickCount() - start < kLongestWait) {
        PumpFor(50);
    }
    DeleteFileA((base + ".request").c_str());
    DeleteFileA((base + ".done").c_str());
}

}  // namespace deskhost
