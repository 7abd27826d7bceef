// The panel as the real program under Windows (or Wine): the extension and the stand-in
// driver copied into a directory of their own and registered as the installation registers
// them, the sheet shown by the system's PropertySheetA, the user's input sent to the real
// controls, and message boxes and dialogs answered as they open on this thread while time
// passes for real.
#include "deskhost/harness.h"
#include "window_panel_harness.h"

#include "deskhost/deskhost_ids.h"
#include "deskhost/property_sheet.h"
#include "windows_observer.h"
#include "windows_panel.h"
#include "windows_screenshots.h"

#include <kvapi/adapter.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <set>
#include <sstream>

namespace deskhost {
namespace {

constexpr UINT kPollInterval = 10;
constexpr DWORD kQuietTime = 60;
constexpr DWORD kLongestWaitForAWindow = 3000;
constexpr char kObserverClass[] = "KvDisplayChangeObserver";
constexpr char kRelaunchedVariable[] = "KV_PANEL_RELAUNCHED";
// The message the system queues after a key-down of F1; the SDK headers at hand lack its name.
constexpr UINT kKeyF1Message = 0x004D;

// ---- files and versions ----

// A host path ("/a/b") as Wine names it ("Z:\a\b"); a Windows path stays as it is.
std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/') {
        std::replace(path.begin(), path.end(), '/', '\\');
        path = "Z:" + path;
    }
    return path;
}

bool CopyInto(const std::string& from, const std::string& to)
{
    return CopyFileA(WindowsPath(from).c_str(), to.c_str(), FALSE) != FALSE;
}

bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

void RemoveDirectoryTree(const std::string& directory)
{
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = directory + "\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveDirectoryTree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

PlatformVersion RunningPlatform()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        return PlatformVersion::WindowsNT;
    }
    return version.dwMinorVersion == 0 ? PlatformVersion::Windows95 : PlatformVersion::Windows98;
}

std::string OwnPath()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length < sizeof path ? length : 0);
}

// Wine gives a program the version its AppDefaults name, read when the program starts.
void SetOwnVersion(PlatformVersion platform)
{
    const std::string path = OwnPath();
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    const std::string key = "Software\\Wine\\AppDefaults\\" + name;
    HKEY appKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &appKey,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    if (platform == PlatformVersion::WindowsNT) {
        RegDeleteValueA(appKey, "Version");
    } else {
        const char* version = platform == PlatformVersion::Windows95 ? "win95" : "win98";
        RegSetValueExA(appKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>(std::strlen(version) + 1));
    }
    RegCloseKey(appKey);
}

// Runs this program again, as that platform version, with the same command line, and ends
// with its exit code. The scenario runs in the new process.
[[noreturn]] void RelaunchAs(PlatformVersion platform)
{
    SetOwnVersion(platform);
    SetEnvironmentVariableA(kRelaunchedVariable, "1");
    std::fflush(stdout);
    std::fflush(stderr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = GetCommandLineA();
    if (!CreateProcessA(OwnPath().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "the panel could not start itself again as another platform version\n");
        ExitProcess(3);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 3;
    GetExitCodeProcess(process.hProcess, &code);
    ExitProcess(code);
}

// ---- windows of this thread ----

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

std::vector<HWND> ThreadWindows()
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

int CountWithChildren(HWND window)
{
    int count = 1;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        count += CountWithChildren(child);
    }
    return count;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// ---- what the user does while a message loop waits ----

struct Step {
    enum Kind { AnswerBox, ClickInDialog, Wait } kind = Wait;
    int id = 0;
    DWORD milliseconds = 0;
    DWORD reached = 0;  // when the step came first in the queue; 0 before
};

struct UserState {
    std::deque<Step> steps;
    HWND sheet = nullptr;
    HWND observer = nullptr;
    int displayChanges = 0;
    std::set<HWND> photographed;
    bool inStep = false;
    DWORD waitingSince = 0;  // since when a box or dialog has waited with no step queued
};

UserState& User()
{
    static auto* state = new UserState;
    return *state;
}

[[noreturn]] void Stop(const std::string& why)
{
    std::fprintf(stderr, "the panel's user stops: %s\n", why.c_str());
    std::fflush(stderr);
    ExitProcess(4);
}

// The innermost modal window: the enabled top-level dialog of this thread other than the sheet.
HWND InnermostDialog()
{
    for (HWND window : ThreadWindows()) {
        if (window != User().sheet && ClassOf(window) == "#32770" && IsWindowVisible(window) &&
            IsWindowEnabled(window)) {
            return window;
        }
    }
    return nullptr;
}

// Screenshots of every box and dialog as it opens, with the sheet around it, when the run
// asks for them: "03-message-box", "04-dialog", ...
void PhotographNewDialog(HWND dialog)
{
    UserState& user = User();
    if (!ScreenshotsWanted() || !user.photographed.insert(dialog).second) {
        return;
    }
    const bool messageBox = !IsExtensionDialog(dialog);
    char number[16];
    std::snprintf(number, sizeof number, "%02u", static_cast<unsigned>(user.photographed.size()));
    RECT area{};
    GetWindowRect(dialog, &area);
    RECT sheet{};
    if (user.sheet != nullptr && GetWindowRect(user.sheet, &sheet)) {
        UnionRect(&area, &area, &sheet);
    }
    RequestScreenshot(std::string(number) + (messageBox ? "-message-box" : "-dialog"), area);
}

bool RunStep(Step& step)
{
    const DWORD now = GetTickCount();
    if (step.reached == 0) {
        step.reached = now == 0 ? 1 : now;
    }
    if (step.kind == Step::Wait) {
        if (const HWND open = InnermostDialog()) {
            PhotographNewDialog(open);
        }
        return GetTickCount() - step.reached >= step.milliseconds;
    }
    const HWND dialog = InnermostDialog();
    if (dialog == nullptr) {
        if (now - step.reached > kLongestWaitForAWindow) {
            Stop(step.kind == Step::AnswerBox ? "a message box is to be answered, but none opened"
                                              : "a dialog control is to be clicked, but no dialog opened");
        }
        return false;
    }
    PhotographNewDialog(dialog);
    const HWND button = GetDlgItem(dialog, step.id);
    if (button == nullptr || !IsWindowEnabled(button)) {
        Stop("the open dialog has no usable control " + std::to_string(step.id));
    }
    // Posted, so that the dialog's own modal loop takes it.
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

// A box or dialog left open with nothing more to do would wait for a user who never comes.
void StopWhenLeftWaiting()
{
    UserState& user = User();
    if (InnermostDialog() == nullptr) {
        user.waitingSince = 0;
        return;
    }
    const DWORD now = GetTickCount();
    if (user.waitingSince == 0) {
        user.waitingSince = now == 0 ? 1 : now;
    } else if (now - user.waitingSince > kLongestWaitForAWindow) {
        Stop("a message loop waits for the user, and there is nothing more to answer");
    }
}

void CALLBACK PollUser(HWND, UINT, UINT_PTR, DWORD)
{
    UserState& user = User();
    if (user.inStep) {
        return;
    }
    if (user.steps.empty()) {
        StopWhenLeftWaiting();
        return;
    }
    user.waitingSince = 0;
    user.inStep = true;
    if (RunStep(user.steps.front())) {
        user.steps.pop_front();
    }
    user.inStep = false;
}

LRESULT CALLBACK ObserverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DISPLAYCHANGE) {
        ++User().displayChanges;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateObserver()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ObserverProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kObserverClass;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, kObserverClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// The pointer moved as the user moves it. Under X the move comes back as an input event a
// little later, which may carry an earlier position: the position is set again until it holds.
void MoveCursorTo(int x, int y)
{
    const DWORD start = GetTickCount();
    int steady = 0;
    while (steady < 3 && GetTickCount() - start < 1000) {
        POINT now{};
        GetCursorPos(&now);
        if (now.x == x && now.y == y) {
            ++steady;
        } else {
            steady = 0;
            SetCursorPos(x, y);
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_MOUSE);
    }
}

// ---- pictures ----

std::uint32_t Crc(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void PutU32(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void PutChunk(std::string& out, const char* type, const std::string& data)
{
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    PutU32(out, Crc(typed));
}

// A PNG of RGB rows, the image data in uncompressed deflate blocks.
std::string EncodePng(const Picture& picture)
{
    std::string raw;
    for (int y = 0; y < picture.height; ++y) {
        raw += '\0';
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t pixel = picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
            raw += static_cast<char>(pixel & 0xFF);
            raw += static_cast<char>((pixel >> 8) & 0xFF);
            raw += static_cast<char>((pixel >> 16) & 0xFF);
        }
    }
    std::string zlib("\x78\x01", 2);
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
        zlib += static_cast<char>(at + length >= raw.size() ? 1 : 0);
        zlib += static_cast<char>(length & 0xFF);
        zlib += static_cast<char>(length >> 8);
        zlib += static_cast<char>(~length & 0xFF);
        zlib += static_cast<char>((~length >> 8) & 0xFF);
        zlib += raw.substr(at, length);
        if (raw.empty()) {
            break;
        }
    }
    PutU32(zlib, (b << 16) | a);
    std::string header;
    PutU32(header, static_cast<std::uint32_t>(picture.width));
    PutU32(header, static_cast<std::uint32_t>(picture.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", "");
    return png;
}

Picture ReadClientPixels(HWND window)
{
    Picture picture;
    RECT client{};
    if (window == nullptr || !IsWindowVisible(window) || !GetClientRect(window, &client) ||
        client.right <= 0 || client.bottom <= 0) {
        return picture;
    }
    picture.width = client.right;
    picture.height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC windowDc = GetDC(window);
    const HDC memory = CreateCompatibleDC(windowDc);
    const HBITMAP section = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section != nullptr && bits != nullptr) {
        const HGDIOBJ old = SelectObject(memory, section);
        BitBlt(memory, 0, 0, picture.width, picture.height, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
        for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
            const std::uint32_t bgr = pixels[i];
            picture.pixels[i] = ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
        }
        SelectObject(memory, old);
    }
    if (section != nullptr) {
        DeleteObject(section);
    }
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
    return picture;
}

// ---- the harness ----

class WindowsHarness final : public WindowPanelHarness {
public:
    ~WindowsHarness() override
    {
        if (sheet_ != nullptr && IsWindow(sheet_)) {
            DestroyWindow(sheet_);
        }
        Unload();
        if (owner_ != nullptr && IsWindow(owner_)) {
            DestroyWindow(owner_);
        }
        if (pollTimer_ != 0) {
            KillTimer(nullptr, pollTimer_);
        }
        if (User().observer != nullptr) {
            DestroyWindow(User().observer);
            User().observer = nullptr;
        }
        if (driver_ != nullptr) {
            FreeLibrary(driver_);
        }
        if (!directory_.empty() && !options_.installed) {
            RemoveDirectoryTree(directory_);
        }
    }

    bool Open(const PanelOptions& options) override
    {
        options_ = options;
        if (RunningPlatform() != options.platform) {
            if (std::getenv(kRelaunchedVariable) != nullptr) {
                Stop("the platform version cannot be set for this program");
            }
            RelaunchAs(options.platform);
        }
        if (!(options.installed ? FindInstalledFiles() : PrepareFiles())) {
            return false;
        }
        driver_ = LoadLibraryA(DriverFile().c_str());
        if (driver_ != nullptr && options.installed) {
            options_.adapter = DriverState();
        }
        if (driver_ == nullptr || !ShowDriverMode() || !ObserveExtensionModule(L"KVSETTNG.DLL")) {
            return false;
        }
        User().observer = CreateObserver();
        pollTimer_ = SetTimer(nullptr, 0, kPollInterval, PollUser);
        if (pollTimer_ == 0 || (!options.installed && !RegisterDisplayExtension(ExtensionPath()))) {
            return false;
        }
        sessions_ = LoadRegisteredHandlers();
        extensionLoaded_ =
            std::any_of(sessions_.begin(), sessions_.end(),
                        [](const ExtensionSession& session) { return session.extension != nullptr; });
        SetSettingsPageOptions(
            SettingsPageOptions{options.layout, directory_ + "\\KVAPI32.DLL", options.pageRefusesApply});
        owner_ = CreateSheetOwner(options.sheetOwner);
        if (owner_ == nullptr && !options.sheetOwner.empty()) {
            return false;
        }
        sheet_ =
            OpenModelessDisplaySheet(GetModuleHandleA(nullptr), options.layout, PagesOf(sessions_), owner_);
        User().sheet = sheet_;
        Settle();
        if (sheet_ != nullptr && ScreenshotsWanted()) {
            RequestScreenshot(options.layout == PageLayout::Native ? "settings-native" : "settings-cloned",
                              sheet_);
        }
        return sheet_ != nullptr;
    }

    bool ExtensionLoaded() const override { return extensionLoaded_; }

    ClosedPanel Close(CloseBy how) override
    {
        if (sheet_ != nullptr && IsWindow(sheet_)) {
            Click(how == CloseBy::Ok ? PanelControl::Ok : PanelControl::Cancel);
            if (IsWindow(sheet_)) {
                DestroyWindow(sheet_);
            }
        }
        sheet_ = nullptr;
        User().sheet = nullptr;
        Settle();
        ClosedPanel closed;
        closed.extensionWasLoaded = extensionLoaded_;
        for (const ExtensionSession& session : sessions_) {
            closed.pagesAdded += session.pagesAdded;
        }
        if (!sessions_.empty()) {
            const UnloadResult unloaded = UnloadDisplayExtension(sessions_.front());
            closed.canUnload = unloaded.canUnload;
            closed.unloaded = unloaded.freed;
        }
        Unload();
        // The shell's window outlives the sheet and the extension.
        if (owner_ != nullptr && IsWindow(owner_)) {
            DestroyWindow(owner_);
        }
        owner_ = nullptr;
        return closed;
    }

    Picture PreviewPicture() const override { return ReadClientPixels(Find(PanelControl::Preview)); }

    bool SavePreviewPng(const std::string& path) const override
    {
        const Picture picture = PreviewPicture();
        return !picture.empty() && WriteText(WindowsPath(path), EncodePng(picture));
    }

    std::string ExtensionPath() const override
    {
        return options_.installed ? installedPath_ : directory_ + "\\KVSETTNG.DLL";
    }

    // The user presses the thumb, moves the mouse to the place of that position and lets go.
    bool DragSlider(PanelControl control, int position) override
    {
        const HWND slider = Find(control);
        if (slider == nullptr || !IsWindowVisible(slider) || !IsWindowEnabled(slider)) {
            return false;
        }
        RECT thumb{};
        RECT channel{};
        SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        SendMessageA(slider, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        const int minimum = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0));
        const int maximum = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0));
        const int y = (thumb.top + thumb.bottom) / 2;
        const int grip = (thumb.left + thumb.right) / 2;
        const int thumbWidth = thumb.right - thumb.left;
        const int span = channel.right - channel.left - thumbWidth;
        const int wanted = std::clamp(position, minimum, std::max(minimum, maximum));
        const int x = maximum > minimum
                          ? channel.left + thumbWidth / 2 + (wanted - minimum) * span / (maximum - minimum)
                          : grip;
        SendMessageA(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grip, y));
        SendMessageA(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
        for (int nudge = 1; nudge < 4 && SendMessageA(slider, TBM_GETPOS, 0, 0) != wanted; ++nudge) {
            const int direction = SendMessageA(slider, TBM_GETPOS, 0, 0) < wanted ? 1 : -1;
            SendMessageA(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + direction * nudge, y));
        }
        SendMessageA(slider, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Settle();
        return true;
    }

    bool SelectDepth(int item) override
    {
        const HWND combo = Find(PanelControl::DepthCombo);
        const int count = combo != nullptr ? static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)) : 0;
        if (combo == nullptr || !IsWindowVisible(combo) || !IsWindowEnabled(combo) || item < 0 ||
            item >= count) {
            return false;
        }
        // What the list box of a dropped-down combo box does when the user picks an item.
        SetFocus(combo);
        SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        const int id = GetDlgCtrlID(combo);
        SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        Settle();
        return true;
    }

    void PressF1Over(PanelControl control) override
    {
        const PanelRect rect = ScreenRect(control);
        MoveCursorTo((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        const HWND focus = F1Focus(control);
        SetFocus(focus);
        // The keyboard's messages as the system queues them for F1.
        PostMessageA(focus, WM_KEYDOWN, VK_F1, 1);
        PostMessageA(focus, kKeyF1Message, 0, 0);
        PostMessageA(focus, WM_KEYUP, VK_F1, static_cast<LPARAM>(0xC0000001U));
        Settle();
    }

    void RightClickAt(PanelPoint screenPoint) override
    {
        if (sheet_ == nullptr) {
            return;
        }
        MoveCursorTo(screenPoint.x, screenPoint.y);
        const POINT point{screenPoint.x, screenPoint.y};
        const HWND target = WindowFromPoint(point);
        if (target == nullptr) {
            return;
        }
        POINT client = point;
        ScreenToClient(target, &client);
        const LPARAM where = MAKELPARAM(client.x, client.y);
        PostMessageA(target, WM_RBUTTONDOWN, MK_RBUTTON, where);
        PostMessageA(target, WM_RBUTTONUP, 0, where);
        Settle();
    }

    void AnswerNextMessageBox(int button) override
    {
        User().steps.push_back(Step{Step::AnswerBox, button, 0, 0});
    }
    void AnswerConfirmDialog(bool keep) override
    {
        User().steps.push_back(Step{Step::ClickInDialog, keep ? IDYES : IDNO, 0, 0});
    }
    void LetTimePass(unsigned milliseconds) override
    {
        User().steps.push_back(Step{Step::Wait, 0, milliseconds, 0});
    }

    // Runs the message loop until every queued step has been taken and nothing more comes.
    void Settle() override
    {
        DWORD lastMessage = GetTickCount();
        for (;;) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                const bool ownPoll =
                    message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == pollTimer_;
                if (!ownPoll) {
                    lastMessage = GetTickCount();
                }
                if (!PumpDisplaySheetMessage(message)) {
                    TranslateMessage(&message);
                    DispatchMessageA(&message);
                }
                if (sheet_ != nullptr && DisplaySheetWindow() == nullptr) {
                    sheet_ = nullptr;
                    User().sheet = nullptr;
                }
            }
            if (User().steps.empty() && GetTickCount() - lastMessage >= kQuietTime) {
                return;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollInterval, QS_ALLINPUT);
        }
    }

    void SetPageRefusesApply(bool refuse) override { deskhost::SetPageRefusesApply(refuse); }

    std::vector<MessageBoxSeen> MessageBoxes() const override { return ExtensionCallsSeen().messageBoxes; }
    std::vector<DialogSeen> Dialogs() const override { return ExtensionCallsSeen().dialogs; }
    std::vector<HelpCall> HelpCalls() const override { return ExtensionCallsSeen().help; }
    int DisplayChangeBroadcasts() const override { return User().displayChanges; }
    int SheetChangedNotices() const override { return DisplaySheetActivity().changed; }
    PageActivity PageDid() const override { return SettingsPageActivity(); }

    std::vector<std::string> DriverRequests() const override
    {
        std::vector<std::string> lines = Lines(DriverText("KVAPIGetLog"));
        lines.erase(lines.begin(),
                    lines.begin() + static_cast<std::ptrdiff_t>(std::min(clearedLines_, lines.size())));
        return lines;
    }

    void ClearDriverRequests() override { clearedLines_ = Lines(DriverText("KVAPIGetLog")).size(); }

    std::optional<std::string> PersistedValue(const std::string& section,
                                              const std::string& name) const override
    {
        const auto& persisted = DriverState().persisted;
        const auto found = persisted.find({section, name});
        if (found == persisted.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    kvapi::Size Viewport() const override { return DriverState().viewport; }
    kvapi::Mode DisplayMode() const override { return DriverState().current; }

    LiveObjects Live() const override
    {
        int windows = 0;
        for (HWND window : ThreadWindows()) {
            const std::string className = ClassOf(window);
            if (window != User().observer && className != "IME" && className != "MSCTFIME UI") {
                windows += CountWithChildren(window);
            }
        }
        const ExtensionObjects alive = ExtensionObjectsAlive();
        return LiveObjects{windows,       alive.hooks,   alive.timers,   alive.fonts,
                           alive.bitmaps, alive.brushes, alive.screenDcs};
    }

private:
    std::string DriverFile() const
    {
        return options_.driverMissing ? directory_ + "\\driver\\KVAPI32.DLL" : directory_ + "\\KVAPI32.DLL";
    }

    // The extension's server as the installation registered it, and its directory.
    bool FindInstalledFiles()
    {
        for (const SheetHandler& handler : RegisteredDisplayHandlers()) {
            if (IsEqualCLSID(handler.classId, kDisplayExtensionClassId)) {
                installedPath_ = handler.serverPath;
                directory_ = installedPath_.substr(0, installedPath_.find_last_of('\\'));
                return true;
            }
        }
        std::fprintf(stderr, "the extension is not installed\n");
        return false;
    }

    bool PrepareFiles()
    {
        directory_ = "C:\\kvpanel-" + std::to_string(GetCurrentProcessId());
        RemoveDirectoryTree(directory_);
        if (!CreateDirectoryA(directory_.c_str(), nullptr)) {
            return false;
        }
        const std::string driverDirectory = options_.driverMissing ? directory_ + "\\driver" : directory_;
        if (options_.driverMissing && !CreateDirectoryA(driverDirectory.c_str(), nullptr)) {
            return false;
        }
        const std::string library = options_.resourceLibrary.empty() ? KV_RLB_PATH : options_.resourceLibrary;
        return CopyInto(KV_EXTENSION_FILE, directory_ + "\\KVSETTNG.DLL") &&
               CopyInto(KV_HELP_PATH, directory_ + "\\VAZIDAVO.HLP") &&
               (options_.resourceLibraryMissing || CopyInto(library, directory_ + "\\KVSettng.RLB")) &&
               CopyInto(KV_DRIVER_FILE, driverDirectory + "\\KVAPI32.DLL") &&
               WriteText(driverDirectory + "\\KVAPI32.INI", kvapi::FormatConfig(options_.adapter));
    }

    // The system starts in the mode the driver has in force.
    bool ShowDriverMode() const
    {
        DEVMODEA mode{};
        mode.dmSize = sizeof mode;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
        mode.dmPelsWidth = options_.adapter.current.width;
        mode.dmPelsHeight = options_.adapter.current.height;
        mode.dmBitsPerPel = options_.adapter.current.depth;
        if (ChangeDisplaySettingsA(&mode, 0) != DISP_CHANGE_SUCCESSFUL) {
            std::fprintf(stderr, "the display cannot show the driver's mode %ux%ux%u\n",
                         options_.adapter.current.width, options_.adapter.current.height,
                         unsigned{options_.adapter.current.depth});
            return false;
        }
        return true;
    }

    std::string DriverText(const char* exportName) const
    {
        using TextProc = DWORD(WINAPI*)(LPSTR, DWORD);
        const auto proc =
            driver_ != nullptr ? ProcAs<TextProc>(GetProcAddress(driver_, exportName)) : nullptr;
        if (proc == nullptr) {
            return {};
        }
        std::string text(proc(nullptr, 0) + 1, '\0');
        text.resize(proc(text.data(), static_cast<DWORD>(text.size())));
        return text;
    }

    kvapi::AdapterConfig DriverState() const
    {
        return kvapi::ParseConfig(DriverText("KVAPIGetConfig"), nullptr).value_or(kvapi::AdapterConfig{});
    }

    void Unload()
    {
        for (ExtensionSession& session : sessions_) {
            UnloadDisplayExtension(session);
        }
        sessions_.clear();
        if (!options_.installed) {
            UnregisterDisplayExtension();
        }
    }

    HWND Sheet() const override { return sheet_; }
    PageLayout Layout() const override { return options_.layout; }

    PanelOptions options_;
    std::string directory_;
    std::string installedPath_;
    HMODULE driver_ = nullptr;
    UINT_PTR pollTimer_ = 0;
    std::vector<ExtensionSession> sessions_;
    bool extensionLoaded_ = false;
    HWND owner_ = nullptr;
    HWND sheet_ = nullptr;
    std::size_t clearedLines_ = 0;
};

}  // namespace

std::unique_ptr<PanelHarness> MakePanelHarness()
{
    return std::make_unique<WindowsHarness>();
}

}  // namespace deskhost
