// help_open: asks the platform's help viewer for a help file's topics the way the component
// does, then finds the viewer's windows and prints what they show.
//
// Usage: help_open FILE.HLP     WinHelpA for context 150 (main window), then as a pop-up, then
//                               HELP_WM_HELP with a control's help table
//        help_open --look       only prints the viewer windows already open
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD kScreenAreaContext = 150;
constexpr int kViewerTextId = 0x701;  // the viewer's text control
constexpr DWORD kWaitMs = 20000;
constexpr DWORD kPopupWaitMs = 5000;

struct ViewerWindow {
    HWND window;
    bool popup;
    std::string caption;
    std::string text;
};

// The viewer runs in a process of its own, and GetWindowTextA does not ask another process's
// window for its text: WM_GETTEXT does.
std::string WindowText(HWND window)
{
    std::vector<char> buffer(8192, '\0');
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, 5000, &length)) {
        return {};
    }
    return std::string(buffer.data(), std::min<std::size_t>(length, buffer.size()));
}

BOOL CALLBACK CollectViewer(HWND window, LPARAM list)
{
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, "MS_WINHELP") != 0 || !IsWindowVisible(window)) {
        return TRUE;
    }
    const HWND text = GetDlgItem(window, kViewerTextId);
    const bool popup = (GetWindowLongA(window, GWL_STYLE) & WS_POPUP) != 0;
    reinterpret_cast<std::vector<ViewerWindow>*>(list)->push_back(
        {window, popup, WindowText(window), text != nullptr ? WindowText(text) : std::string()});
    return TRUE;
}

std::vector<ViewerWindow> ViewerWindows()
{
    std::vector<ViewerWindow> windows;
    EnumWindows(CollectViewer, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

// Waits for a visible viewer window of the kind asked for whose text begins with `title`.
bool WaitForTopic(bool popup, const char* title, DWORD waitMs, ViewerWindow& found)
{
    const DWORD start = GetTickCount();
    do {
        for (const ViewerWindow& window : ViewerWindows()) {
            if (window.popup == popup && FirstLine(window.text) == title) {
                found = window;
                return true;
            }
        }
        Sleep(200);
    } while (GetTickCount() - start < waitMs);
    return false;
}

void PrintViewers()
{
    for (const ViewerWindow& window : ViewerWindows()) {
        std::printf("%s: \"%s\" shows \"%s\"\n", window.popup ? "popup" : "window", window.caption.c_str(),
                    FirstLine(window.text).c_str());
    }
}

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: help_open FILE.HLP | --look\n");
        return 2;
    }
    if (std::string(argv[1]) == "--look") {
        auto showsText = [] {
            for (const ViewerWindow& window : ViewerWindows()) {
                if (!window.text.empty()) {
                    return true;
                }
            }
            return false;
        };
        const DWORD start = GetTickCount();
        while (!showsText() && GetTickCount() - start < kWaitMs) {
            Sleep(200);
        }
        PrintViewers();
        return showsText() ? 0 : 1;
    }

    char path[MAX_PATH] = {};
    if (GetFullPathNameA(argv[1], sizeof path, path, nullptr) == 0) {
        std::fprintf(stderr, "no such path: %s\n", argv[1]);
        return 2;
    }
    // The help file is asked for on behalf of a window, as the Settings page's controls do.
    const HWND owner = CreateWindowA("STATIC", "help_open", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
    int failures = 0;

    const BOOL opened = WinHelpA(owner, path, HELP_CONTEXT, kScreenAreaContext);
    std::printf("HELP_CONTEXT %lu: %s\n", kScreenAreaContext, opened ? "accepted" : "refused");
    ViewerWindow window{};
    if (WaitForTopic(false, "Screen area", kWaitMs, window)) {
        std::printf("window caption: %s\n", window.caption.c_str());
        std::printf("window topic: %s\n", FirstLine(window.text).c_str());
        std::printf("says five seconds: %s\n", Contains(window.text, "five seconds") ? "yes" : "no");
    } else {
        std::printf("FAIL: no viewer window shows the screen-area topic\n");
        ++failures;
    }

    const BOOL popped = WinHelpA(owner, path, HELP_CONTEXTPOPUP, kScreenAreaContext);
    std::printf("HELP_CONTEXTPOPUP %lu: %s\n", kScreenAreaContext, popped ? "accepted" : "refused");
    // Pop-ups are what HELP_WM_HELP and HELP_CONTEXTMENU show; not every viewer makes them.
    ViewerWindow popup{};
    if (WaitForTopic(true, "Screen area", kPopupWaitMs, popup)) {
        std::printf("popup topic: %s\n", FirstLine(popup.text).c_str());
    } else {
        std::printf("popup: none shown\n");
    }

    // What F1 over a screen-area control sends: the control's window and the help table.
    static const DWORD kHelpTable[] = {100, kScreenAreaContext, 0, 0};
    const HWND control = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 1, 1, owner,
                                       reinterpret_cast<HMENU>(100), GetModuleHandleA(nullptr), nullptr);
    const BOOL wmHelp = WinHelpA(control, path, HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(kHelpTable));
    std::printf("HELP_WM_HELP: %s\n", wmHelp ? "accepted" : "refused by this viewer");

    PrintViewers();
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
