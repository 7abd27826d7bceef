// What a scenario does with the Display control panel and what it observes, independent of
// where the panel runs: on winsim in this process, or as the real program under Wine.
#pragma once

#include "deskhost/settings_page.h"

#include <kvapi/adapter.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace deskhost {

enum class PlatformVersion {
    Windows95,
    Windows98,
    WindowsNT,
};

// The platform version a panel reports unless told otherwise: Windows 98, or what the
// environment variable KV_PANEL_PLATFORM names ("win95" or "win98"), so that a whole suite can
// run once for each.
PlatformVersion DefaultPlatformVersion();
// The caption of the window that owns the sheet unless told otherwise: none, or what the
// environment variable KV_PANEL_SHEET_OWNER names, so that a whole suite can run once with a
// host window above the sheet.
std::string DefaultSheetOwner();

struct PanelOptions {
    PageLayout layout = PageLayout::Cloned;
    kvapi::AdapterConfig adapter = kvapi::DefaultConfig();
    PlatformVersion platform = DefaultPlatformVersion();
    bool driverMissing = false;           // no KVAPI32.DLL beside the extension
    bool resourceLibraryMissing = false;  // no KVSettng.RLB beside the extension
    std::string resourceLibrary;          // a host file to install as KVSettng.RLB instead of the built one
    bool pageRefusesApply = false;
    // A window of this caption owns the sheet, as the window of the shell that opens the panel
    // (such as "Control Panel") does; empty: the sheet has no owner.
    std::string sheetOwner = DefaultSheetOwner();
    // The extension as an installation registered it, with the driver that lies beside it,
    // instead of copies of the build's files; the adapter is then the driver's own. Only the
    // real program has an installation to use.
    bool installed = false;
};

enum class PanelControl {
    ScreenSlider,
    ScreenLabel,
    DesktopSlider,
    DesktopLabel,
    DepthCombo,
    Preview,
    HelpArea,
    RangeCommand,  // the "More" label of the desktop slider
    Apply,
    Ok,
    Cancel,
};

struct PanelPoint {
    int x = 0;
    int y = 0;
};

struct PanelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct SliderState {
    int position = 0;
    int minimum = 0;
    int maximum = 0;
};

struct MessageBoxSeen {
    std::string caption;
    std::string text;
    unsigned type = 0;
    int answer = 0;
    bool ownedBySheet = false;  // the panel's property sheet is the box's owner
};

// Pixels as COLORREF values (0x00BBGGRR), row after row from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool empty() const { return pixels.empty(); }
    friend bool operator==(const Picture&, const Picture&) = default;
};

// A modal dialog other than a message box, such as the confirmation of a new screen area.
struct DialogSeen {
    std::string caption;
    int result = 0;  // what it ended with; 0 while open
};

struct HelpCall {
    std::string path;
    unsigned command = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> helpIds;
    int controlId = 0;  // the control identifier of the window that the help is for
};

struct LiveObjects {
    int windows = 0;
    int hooks = 0;
    int timers = 0;
    int fonts = 0;
    int bitmaps = 0;
    int brushes = 0;
    int screenDcs = 0;
    friend bool operator==(const LiveObjects&, const LiveObjects&) = default;
    friend std::ostream& operator<<(std::ostream& out, const LiveObjects& live)
    {
        return out << live.windows << " windows, " << live.hooks << " hooks, " << live.timers << " timers, "
                   << live.fonts << " fonts, " << live.bitmaps << " bitmaps, " << live.brushes << " brushes, "
                   << live.screenDcs << " screen DCs";
    }
};

enum class CloseBy {
    Ok,
    Cancel,
};

struct ClosedPanel {
    bool extensionWasLoaded = false;
    int pagesAdded = 0;     // calls of the shell's add-page callback
    long canUnload = -1;    // DllCanUnloadNow's answer (S_OK is 0)
    bool unloaded = false;  // FreeLibrary of the extension succeeded
};

class PanelHarness {
public:
    virtual ~PanelHarness() = default;

    // Loads the extension as the shell does and opens the sheet; false when the panel itself
    // could not open. The extension may have refused to load: see ExtensionLoaded.
    virtual bool Open(const PanelOptions& options) = 0;
    virtual bool ExtensionLoaded() const = 0;
    // Closes the sheet with OK or Cancel, releases the extension and unloads it.
    virtual ClosedPanel Close(CloseBy how) = 0;

    // ---- the controls ----
    virtual bool Exists(PanelControl control) const = 0;
    virtual bool IsVisible(PanelControl control) const = 0;
    virtual bool IsEnabled(PanelControl control) const = 0;
    virtual SliderState Slider(PanelControl control) const = 0;
    virtual std::string Text(PanelControl control) const = 0;
    virtual PanelRect ScreenRect(PanelControl control) const = 0;
    virtual int DepthItem() const = 0;
    virtual std::vector<std::string> DepthItems() const = 0;
    // The preview as the screen shows it now; empty when there is none.
    virtual Picture PreviewPicture() const = 0;
    // Writes that picture as a PNG file; false when it cannot.
    virtual bool SavePreviewPng(const std::string& path) const = 0;
    // The extension's full path as the system names it (the help file lies beside it).
    virtual std::string ExtensionPath() const = 0;

    // ---- what the user does ----
    // Immediate actions; each runs the queued answers it leads to and lets the panel settle.
    // False when the control cannot take the action (missing, hidden or disabled).
    virtual bool DragSlider(PanelControl slider, int position) = 0;
    virtual bool SelectDepth(int item) = 0;
    virtual bool Click(PanelControl control) = 0;
    virtual void PressF1Over(PanelControl control) = 0;
    virtual void RightClickAt(PanelPoint screenPoint) = 0;
    // The system tells the panel that the display's device mode changed.
    virtual void ChangeDeviceMode() = 0;
    // Queued answers and waits, used in order as message boxes and dialogs open (queued before
    // Open, they answer the boxes that the extension shows while it loads).
    virtual void AnswerNextMessageBox(int button) = 0;
    virtual void AnswerConfirmDialog(bool keep) = 0;
    virtual void LetTimePass(unsigned milliseconds) = 0;
    // Runs what is queued and everything the panel still has to do.
    virtual void Settle() = 0;
    virtual void SetPageRefusesApply(bool refuse) = 0;

    // ---- what the user and the driver saw ----
    virtual std::vector<MessageBoxSeen> MessageBoxes() const = 0;
    // Modal dialogs (not message boxes) that opened, in order.
    virtual std::vector<DialogSeen> Dialogs() const = 0;
    virtual std::vector<HelpCall> HelpCalls() const = 0;
    // WM_DISPLAYCHANGE sent or posted to every top-level window, including the panel's own.
    virtual int DisplayChangeBroadcasts() const = 0;
    virtual int SheetChangedNotices() const = 0;  // PSM_CHANGED that reached the sheet
    virtual PageActivity PageDid() const = 0;
    virtual std::vector<std::string> DriverRequests() const = 0;  // one line a call
    virtual void ClearDriverRequests() = 0;
    virtual std::optional<std::string> PersistedValue(const std::string& section,
                                                      const std::string& name) const = 0;
    virtual kvapi::Size Viewport() const = 0;
    virtual kvapi::Mode DisplayMode() const = 0;
    virtual LiveObjects Live() const = 0;
};

// The panel of the platform this program is built for, in this process. On Linux it runs on
// winsim; built for Windows it is the real program under Windows or Wine: the extension loaded
// through its registration, message boxes and dialogs answered as they open, time passing for
// real. One panel per process: the extension's module-wide state lasts as long as the process.
std::unique_ptr<PanelHarness> MakePanelHarness();

}  // namespace deskhost
