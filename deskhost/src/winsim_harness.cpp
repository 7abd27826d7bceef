// The panel on winsim: the stand-in driver and the extension registered as modules beside
// each other, the files read from a private host directory, the user's input through
// winsim's control surface.
#include "deskhost/harness.h"
#include "window_panel_harness.h"

#include "deskhost/deskhost_ids.h"
#include "deskhost/property_sheet.h"
#include "shell_loader.h"
#include "winsim_component_module.h"

#include <kvapi/winsim_glue.h>
#include <winsim/control.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace deskhost {
namespace {

namespace fs = std::filesystem;

constexpr char kSystemDirectory[] = "C:\\WINDOWS\\SYSTEM";
constexpr char kExtensionPath[] = "C:\\WINDOWS\\SYSTEM\\KVSETTNG.DLL";
constexpr char kDriverPath[] = "C:\\WINDOWS\\SYSTEM\\KVAPI32.DLL";
constexpr char kPanelResourcesPath[] = "C:\\WINDOWS\\SYSTEM\\DESKHOST.RES";
// Where the driver lives when it is missing beside the extension: the display still follows it.
constexpr char kElsewhereDirectory[] = "C:\\KVDRIVER";

winsim::Version VersionOf(PlatformVersion platform)
{
    winsim::Version version;
    switch (platform) {
        case PlatformVersion::Windows95:
            version.minor = 0;
            version.build = 950;
            break;
        case PlatformVersion::Windows98:
            break;
        case PlatformVersion::WindowsNT:
            version.platformId = VER_PLATFORM_WIN32_NT;
            version.minor = 0;
            version.build = 1381;
            version.csdVersion = "Service Pack 6";
            break;
    }
    return version;
}

bool SameText(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Group boxes and statics that do not notify let the mouse through to what lies beneath.
bool IsTransparentToMouse(HWND window)
{
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const std::string className = ClassOf(window);
    if (SameText(className, "Static")) {
        return (style & SS_NOTIFY) == 0;
    }
    return SameText(className, "Button") && (style & BS_TYPEMASK) == BS_GROUPBOX;
}

// The window that a mouse click at a screen point goes to, below `parent`.
HWND WindowAt(HWND parent, POINT point)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        if (!IsWindowVisible(child) || !IsWindowEnabled(child) || !PtInRect(&rect, point) ||
            IsTransparentToMouse(child)) {
            continue;
        }
        return WindowAt(child, point);
    }
    return parent;
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

std::string Word(const std::string& text, int index)
{
    std::istringstream in(text);
    std::string word;
    for (int i = 0; i <= index && in >> word; ++i) {
    }
    return word;
}

class WinsimHarness final : public WindowPanelHarness {
public:
    ~WinsimHarness() override
    {
        for (const HWND window : {sheet_, owner_}) {
            if (window != nullptr && IsWindow(window)) {
                DestroyWindow(window);
            }
        }
        std::error_code ignored;
        if (!directory_.empty()) {
            fs::remove_all(directory_, ignored);
        }
    }

    bool Open(const PanelOptions& options) override
    {
        options_ = options;
        if (options.installed || !PrepareFiles()) {
            return false;
        }
        winsim::SetVersion(VersionOf(options.platform));
        kvapi::InstallInWinsim(options.driverMissing ? kElsewhereDirectory : kSystemDirectory,
                               options.adapter);
        RegisterDisplayExtensionModule(kExtensionPath);
        resources_ = LoadLibraryA(kPanelResourcesPath);
        if (resources_ == nullptr) {
            return false;
        }
        extensionLoaded_ = LoadDisplayExtension(kExtensionPath, session_);
        SetSettingsPageOptions(SettingsPageOptions{options.layout, kDriverPath, options.pageRefusesApply});
        owner_ = CreateSheetOwner(options.sheetOwner);
        if (owner_ == nullptr && !options.sheetOwner.empty()) {
            return false;
        }
        sheet_ = OpenDisplaySheet(resources_, options.layout, owner_);
        sheetOpened_ = sheet_;
        Settle();
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
        Settle();
        ClosedPanel closed;
        closed.extensionWasLoaded = extensionLoaded_;
        closed.pagesAdded = session_.pagesAdded;
        if (extensionLoaded_) {
            const UnloadResult unloaded = UnloadDisplayExtension(session_);
            closed.canUnload = unloaded.canUnload;
            closed.unloaded = unloaded.freed;
        }
        if (resources_ != nullptr) {
            FreeLibrary(resources_);
            resources_ = nullptr;
        }
        // The shell's window outlives the sheet and the extension.
        if (owner_ != nullptr && IsWindow(owner_)) {
            DestroyWindow(owner_);
        }
        owner_ = nullptr;
        return closed;
    }

    Picture PreviewPicture() const override
    {
        const winsim::Image image = PreviewImage();
        return Picture{image.width, image.height, {image.pixels.begin(), image.pixels.end()}};
    }

    bool SavePreviewPng(const std::string& path) const override
    {
        const winsim::Image image = PreviewImage();
        return !image.empty() && winsim::WritePng(image, path);
    }

    std::string ExtensionPath() const override { return kExtensionPath; }

    bool DragSlider(PanelControl slider, int position) override
    {
        const HWND window = Find(slider);
        if (window == nullptr || !IsWindowVisible(window) || !winsim::DragTrackbar(window, position)) {
            return false;
        }
        Settle();
        return true;
    }

    bool SelectDepth(int item) override
    {
        const HWND combo = Find(PanelControl::DepthCombo);
        if (combo == nullptr || !IsWindowVisible(combo) || !winsim::SelectComboItem(combo, item)) {
            return false;
        }
        Settle();
        return true;
    }

    void PressF1Over(PanelControl control) override
    {
        const PanelRect rect = ScreenRect(control);
        SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        const HWND focus = F1Focus(control);
        SetFocus(focus);
        winsim::ScriptPressKey(VK_F1);
        Settle();
    }

    void RightClickAt(PanelPoint screenPoint) override
    {
        if (sheet_ == nullptr) {
            return;
        }
        SetCursorPos(screenPoint.x, screenPoint.y);
        const POINT point{screenPoint.x, screenPoint.y};
        const HWND target = WindowAt(sheet_, point);
        POINT client = point;
        ScreenToClient(target, &client);
        const LPARAM where = MAKELPARAM(client.x, client.y);
        winsim::SetButtonDown(VK_RBUTTON, true);
        PostMessageA(target, WM_RBUTTONDOWN, 0, where);
        winsim::PumpMessages();
        winsim::SetButtonDown(VK_RBUTTON, false);
        PostMessageA(target, WM_RBUTTONUP, 0, where);
        Settle();
    }

    void AnswerNextMessageBox(int button) override { winsim::ScriptAnswerMessageBox(button); }
    void AnswerConfirmDialog(bool keep) override { winsim::ScriptClickControl(keep ? IDYES : IDNO); }
    void LetTimePass(unsigned milliseconds) override { winsim::ScriptAdvanceClock(milliseconds); }

    void Settle() override
    {
        winsim::RunUntil([] { return winsim::ScriptPending() == 0; });
        winsim::PumpMessages();
    }

    void SetPageRefusesApply(bool refuse) override { deskhost::SetPageRefusesApply(refuse); }

    std::vector<MessageBoxSeen> MessageBoxes() const override
    {
        std::vector<MessageBoxSeen> seen;
        for (const auto& box : winsim::MessageBoxes()) {
            const bool ownedBySheet = box.owner != nullptr && box.owner == sheetOpened_;
            seen.push_back(MessageBoxSeen{box.caption, box.text, box.type, box.result, ownedBySheet});
        }
        return seen;
    }

    std::vector<DialogSeen> Dialogs() const override
    {
        // The journal says "opened HANDLE class ... caption "TEXT" ..." and "ended HANDLE with N".
        std::vector<DialogSeen> seen;
        std::vector<std::pair<std::string, std::size_t>> open;
        for (const winsim::JournalEntry& entry : winsim::Journal()) {
            if (entry.kind != winsim::JournalKind::Dialog) {
                continue;
            }
            const std::string handle = Word(entry.text, 1);
            if (entry.text.starts_with("opened ")) {
                const auto caption = entry.text.find("caption \"");
                std::string text;
                if (caption != std::string::npos) {
                    const auto start = caption + 9;
                    text = entry.text.substr(start, entry.text.find('"', start) - start);
                }
                open.emplace_back(handle, seen.size());
                seen.push_back(DialogSeen{text, 0});
            } else if (entry.text.starts_with("ended ")) {
                const auto at = std::find_if(open.rbegin(), open.rend(),
                                             [&](const auto& dialog) { return dialog.first == handle; });
                if (at != open.rend()) {
                    seen[at->second].result = std::atoi(Word(entry.text, 3).c_str());
                    open.erase(std::next(at).base());
                }
            }
        }
        return seen;
    }

    std::vector<HelpCall> HelpCalls() const override
    {
        std::vector<HelpCall> calls;
        for (const auto& call : winsim::WinHelpCalls()) {
            HelpCall help{
                call.path, call.command, {}, call.window != nullptr ? GetDlgCtrlID(call.window) : 0};
            for (const auto& [id, context] : call.helpIds) {
                help.helpIds.emplace_back(id, context);
            }
            calls.push_back(std::move(help));
        }
        return calls;
    }

    int DisplayChangeBroadcasts() const override
    {
        const auto& posted = winsim::Broadcasts();
        const auto count = std::count_if(
            posted.begin(), posted.end(),
            [](const winsim::PostedMessage& message) { return message.message == WM_DISPLAYCHANGE; });
        return static_cast<int>(count) + SettingsPageActivity().modeChanges;
    }

    int SheetChangedNotices() const override { return DisplaySheetActivity().changed; }
    PageActivity PageDid() const override { return SettingsPageActivity(); }
    std::vector<std::string> DriverRequests() const override
    {
        return Lines(kvapi::TheAdapter().FormatLog());
    }
    void ClearDriverRequests() override { kvapi::TheAdapter().ClearLog(); }

    std::optional<std::string> PersistedValue(const std::string& section,
                                              const std::string& name) const override
    {
        const auto& persisted = kvapi::TheAdapter().config().persisted;
        const auto found = persisted.find({section, name});
        if (found == persisted.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    kvapi::Size Viewport() const override { return kvapi::TheAdapter().config().viewport; }
    kvapi::Mode DisplayMode() const override { return kvapi::TheAdapter().config().current; }

    LiveObjects Live() const override
    {
        return LiveObjects{winsim::LiveWindows(),
                           winsim::LiveHooks(),
                           winsim::LiveTimers(),
                           winsim::LiveGdiObjects(winsim::GdiKind::Font),
                           winsim::LiveGdiObjects(winsim::GdiKind::Bitmap),
                           winsim::LiveGdiObjects(winsim::GdiKind::Brush),
                           winsim::LiveScreenDcs()};
    }

private:
    bool PrepareFiles()
    {
        // A directory of its own each time: a name made from the process id can meet one that an
        // earlier process with the same id left behind.
        std::string pattern = (fs::temp_directory_path() / "deskhost-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            return false;
        }
        directory_ = pattern;
        std::error_code error;
        const std::string library = options_.resourceLibrary.empty() ? KV_RLB_PATH : options_.resourceLibrary;
        if (!options_.resourceLibraryMissing) {
            fs::copy_file(library, directory_ / "KVSettng.RLB", error);
            if (error) {
                return false;
            }
        }
        fs::copy_file(DESKHOST_RES_PATH, directory_ / "DESKHOST.RES", error);
        if (error) {
            return false;
        }
        winsim::MapDirectory(kSystemDirectory, directory_.string());
        return true;
    }

    // What the preview's client area shows, read through a DC of its own.
    winsim::Image PreviewImage() const
    {
        const HWND preview = Find(PanelControl::Preview);
        if (preview == nullptr || !IsWindowVisible(preview)) {
            return winsim::Image{};
        }
        const HDC dc = GetDC(preview);
        winsim::Image image = winsim::ReadPixels(dc);
        ReleaseDC(preview, dc);
        return image;
    }

    HWND Sheet() const override { return sheet_; }
    PageLayout Layout() const override { return options_.layout; }

    PanelOptions options_;
    fs::path directory_;
    HINSTANCE resources_ = nullptr;
    ExtensionSession session_;
    bool extensionLoaded_ = false;
    HWND owner_ = nullptr;
    HWND sheet_ = nullptr;
    HWND sheetOpened_ = nullptr;  // kept after the sheet closes, to tell the owner of its boxes
};

}  // namespace

std::unique_ptr<PanelHarness> MakePanelHarness()
{
    return std::make_unique<WinsimHarness>();
}

}  // namespace deskhost
