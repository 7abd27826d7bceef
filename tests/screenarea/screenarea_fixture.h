// A property sheet and a Settings page small enough to read in one go, with the component
// linked to the stand-in driver and the page's records set as capture and page
// initialisation set them. The page's own procedure keeps the page's side of the contract:
// its desktop slider follows a TB_THUMBPOSITION, and its apply answers a verdict and can
// change the display mode as the control panel's own apply does.
//
// What happens is read back in one ordered list of events: the driver's requests, the
// sheet's PSM_CHANGED, PSM_UNCHANGED and WM_DISPLAYCHANGE, the page's own apply, and the
// boxes and dialogs that the script saw open.
#pragma once

#include <gtest/gtest.h>
#include <kvapi/adapter.h>
#include <kvapi/winsim_glue.h>
#include <winsim/control.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "deskhost/session.h"
#include "driver/mode_tables.h"
#include "driver/viewport.h"
#include "kvsettng/exports.h"
#include "library/resource_library.h"
#include "page/page_capture.h"
#include "records/page_records.h"
#include "screenarea/apply.h"
#include "screenarea/slider_sync.h"
#include "support/component.h"
#include "support/driver.h"
#include "support/sandbox.h"

namespace screenareatest {

using testsupport::kSystemDirectory;
inline constexpr std::uint8_t kRate = 60;

using Sizes = std::vector<kvapi::Size>;

inline const Sizes& FiveSizes()
{
    static const Sizes sizes = {{640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 1024}};
    return sizes;
}

// Desktops at 8 and 16 bits per pixel, each with the screen areas of `screens` that fit in
// it; `current` at 16 bits in force, showing `viewport` at the top left.
inline kvapi::AdapterConfig PanningAdapter(const Sizes& desktops = FiveSizes(),
                                           const Sizes& screens = FiveSizes(),
                                           kvapi::Size current = {1024, 768},
                                           kvapi::Size viewport = {800, 600})
{
    kvapi::AdapterConfig config;
    config.functions = testsupport::AllFunctions();
    for (const kvapi::Size& desktop : desktops) {
        for (std::uint8_t depth : {std::uint8_t{8}, std::uint8_t{16}}) {
            config.modes.push_back({desktop.width, desktop.height, depth, kRate});
        }
    }
    testsupport::OfferScreensThatFit(config, screens);
    config.current = {current.width, current.height, 16, kRate};
    config.viewport = viewport;
    config.origin = {0, 0};
    return config;
}

inline kvapi::Adapter& Driver()
{
    return kvapi::TheAdapter();
}

// ---- the ordered record of what happened ----

struct Record {
    std::vector<std::string> events;
    std::size_t driverEntriesSeen = 0;
    std::vector<UINT> sheetMessages;                     // PSM_CHANGED and PSM_UNCHANGED, in order
    std::vector<std::pair<WPARAM, LPARAM>> pageScrolls;  // every WM_HSCROLL the page's own procedure saw
};

inline Record& Recorded()
{
    static Record record;
    return record;
}

// Takes the driver's requests that change something, sent since the last look, into the
// events, then `event`. The queries around them are the viewport commands' own business.
inline void Note(const std::string& event = {})
{
    Record& record = Recorded();
    for (const std::string& line : testsupport::LogLines(Driver(), record.driverEntriesSeen)) {
        ++record.driverEntriesSeen;
        if (std::string change = deskhost::DescribeDriverChange(line); !change.empty()) {
            record.events.push_back(std::move(change));
        }
    }
    if (!event.empty()) {
        record.events.push_back(event);
    }
}

inline std::vector<std::string> Events()
{
    Note();
    return Recorded().events;
}

// The requests with which SetViewportSize changes the screen area, the origin staying at 0,0.
inline std::vector<std::string> SetSize(std::uint32_t width, std::uint32_t height, bool wholeDesktop = false)
{
    std::vector<std::string> requests = {"set size " + std::to_string(width) + "x" + std::to_string(height)};
    if (wholeDesktop) {
        requests.push_back("clear persisted");
    }
    requests.push_back("set origin 0,0");
    return requests;
}

inline std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> joined;
    for (const std::vector<std::string>& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

// ---- the sheet and the page ----

// What the page's own apply does.
struct PageContract {
    LRESULT verdict = PSNRET_NOERROR;
    // A display mode that the page's apply puts into force, announcing it with a broadcast
    // WM_DISPLAYCHANGE that its own message loop then dispatches.
    std::optional<kvapi::Mode> newMode;
    // Where the page's own handling of a colour-depth change puts its desktop slider, as the
    // control panel does when the new depth offers fewer desktop sizes.
    std::optional<int> desktopAfterDepthChange;
};

inline PageContract& Contract()
{
    static PageContract contract;
    return contract;
}

inline LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PSM_CHANGED || message == PSM_UNCHANGED) {
        Recorded().sheetMessages.push_back(message);
        Note(message == PSM_CHANGED ? "changed" : "unchanged");
        return 0;
    }
    if (message == WM_DISPLAYCHANGE) {
        Note("displaychange");
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

inline LRESULT PageApply()
{
    Note("page apply");
    if (const std::optional<kvapi::Mode>& mode = Contract().newMode) {
        EXPECT_TRUE(Driver().SetMode(*mode));
        PostMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, mode->depth,
                     MAKELPARAM(static_cast<WORD>(mode->width), static_cast<WORD>(mode->height)));
        winsim::PumpMessages();
    }
    return Contract().verdict;
}

inline LRESULT CALLBACK PageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HSCROLL) {
        Recorded().pageScrolls.emplace_back(wParam, lParam);
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(window, ControlId(RoleDesktopSlider)) &&
            LOWORD(wParam) == TB_THUMBPOSITION) {
            SendMessageA(reinterpret_cast<HWND>(lParam), TBM_SETPOS, TRUE, HIWORD(wParam));
        }
        return 0;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == ControlId(RoleDepthCombo) &&
        HIWORD(wParam) == CBN_SELCHANGE && Contract().desktopAfterDepthChange) {
        SendMessageA(GetDlgItem(window, ControlId(RoleDesktopSlider)), TBM_SETPOS, TRUE,
                     *Contract().desktopAfterDepthChange);
        return 0;
    }
    if (message == WM_NOTIFY && lParam != 0 &&
        reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_APPLY)) {
        return PageApply();
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

inline void RegisterFixtureClasses()
{
    WNDCLASSA sheetClass{};
    sheetClass.lpfnWndProc = SheetProc;
    sheetClass.lpszClassName = "ScreenAreaTestSheet";
    RegisterClassA(&sheetClass);
    WNDCLASSA pageClass{};
    pageClass.lpfnWndProc = PageWindowProc;
    pageClass.lpszClassName = "ScreenAreaTestPage";
    RegisterClassA(&pageClass);
}

struct Options {
    kvapi::AdapterConfig adapter = PanningAdapter();
    LayoutVariant layout = LayoutNative;
    std::string library = KV_RLB_PATH;
};

class ScreenAreaTest : public ::testing::Test {
protected:
    // Starts the component as the module's entry does (driver link and library), builds the
    // sheet and the page, and initialises the screen-area controls with the component's own
    // initialisation.
    void Start(const Options& options = {})
    {
        system_.Copy(options.library, "KVSettng.RLB");
        kvapi::InstallInWinsim(kSystemDirectory, options.adapter);
        HMODULE module = testsupport::LoadComponentModule();
        ASSERT_NE(module, nullptr);
        ASSERT_EQ(DllMain(module, DLL_PROCESS_ATTACH, nullptr), TRUE);

        SetLayoutVariant(options.layout);
        BuildWindows();
        InitialiseScreenArea();
        winsim::PumpMessages();
        Driver().ClearLog();
        Recorded() = Record{};
        winsim::ClearJournal();
    }

    void BuildWindows()
    {
        RegisterFixtureClasses();
        sheet_ = CreateWindowExA(0, "ScreenAreaTestSheet", "Display Properties",
                                 WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 50, 420, 480, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(sheet_, nullptr);
        page_ = CreateWindowExA(0, "ScreenAreaTestPage", "Settings", WS_CHILD | WS_VISIBLE, 8, 30, 400, 400,
                                sheet_, nullptr, nullptr, nullptr);
        ASSERT_NE(page_, nullptr);
        desktopSlider_ = Control(TRACKBAR_CLASSA, ControlId(RoleDesktopSlider), 20, 300);
        SendMessageA(desktopSlider_, TBM_SETRANGE, TRUE, MAKELPARAM(0, CountDesktopSizes() - 1));
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t depth = 0;
        uint32_t rate = 0;
        ASSERT_TRUE(CurrentMode(&width, &height, &depth, &rate));
        SendMessageA(desktopSlider_, TBM_SETPOS, TRUE, DesktopIndexOf(width, height));

        depthCombo_ = Control("COMBOBOX", ControlId(RoleDepthCombo), 20, 250, CBS_DROPDOWNLIST);
        SendMessageA(depthCombo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Other"));
        const uint32_t* depths = BuildDepthList(640, 480);
        for (int i = 0; depths[i] != 0; ++i) {
            const std::string text = std::to_string(depths[i]) + " bit";
            SendMessageA(depthCombo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            if (depths[i] == depth) {
                SendMessageA(depthCombo_, CB_SETCURSEL, i + 1, 0);
            }
        }

        screenSlider_ = Control(TRACKBAR_CLASSA, ControlId(RoleScreenSlider), 20, 340);
        label_ = Control("STATIC", ControlId(RoleScreenLabel), 220, 340);
        Control("STATIC", ControlId(RolePreviewControl), 100, 20);

        SetPropertySheet(sheet_);
        SubclassPage(page_);
        SubclassTopLevel(sheet_);
        SetDesktopSlider(desktopSlider_);
        SetScreenSlider(screenSlider_);
    }

    HWND Control(const char* className, int id, int x, int y, DWORD style = 0)
    {
        return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, x, y, 180, 30, page_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    static int DesktopIndexOf(uint32_t width, uint32_t height)
    {
        const uint32_t* list = BuildDesktopSizeList();
        for (int i = 0; list[i] != 0; ++i) {
            if (PackedWidth(list[i]) == width && PackedHeight(list[i]) == height) {
                return i;
            }
        }
        return -1;
    }

    // ---- what the user does ----

    void DragDesktop(int position) { ASSERT_TRUE(winsim::DragTrackbar(desktopSlider_, position)); }
    void DragScreen(int position) { ASSERT_TRUE(winsim::DragTrackbar(screenSlider_, position)); }
    void PickDepthItem(int item) { ASSERT_TRUE(winsim::SelectComboItem(depthCombo_, item)); }

    // Presses the sheet's Apply: PSN_APPLY reaches the page through its subclass procedure.
    // Every scripted answer is expected to have been used.
    LRESULT Apply()
    {
        struct {
            NMHDR header;
            LPARAM lParam;
        } notify{{sheet_, 0, static_cast<UINT>(PSN_APPLY)}, 0};
        const LRESULT verdict = SendMessageA(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
        EXPECT_EQ(winsim::ScriptPending(), 0u) << "script actions left unused";
        return verdict;
    }

    // Answers the innermost message box, noting it as "ask" (the question before a test)
    // or "notice" (after a restore) by its style.
    static void AnswerBox(int button)
    {
        winsim::ScriptCall("note the open box", [] {
            const std::vector<winsim::MessageBoxRecord>& boxes = winsim::MessageBoxes();
            const bool open = !boxes.empty() && boxes.back().window != nullptr && boxes.back().result == 0;
            const UINT type = open ? boxes.back().type : 0;
            Note(type == (MB_OKCANCEL | MB_ICONINFORMATION) ? "ask"
                 : type == (MB_OK | MB_ICONINFORMATION)     ? "notice"
                                                            : "no box");
        });
        winsim::ScriptAnswerMessageBox(button);
    }

    // Runs `check` on the active window while the script runs in the confirmation dialog's
    // loop, noting "dialog".
    static void InDialog(std::function<void(HWND)> check = nullptr)
    {
        winsim::ScriptCall("look at the dialog", [check] {
            Note("dialog");
            if (check) {
                check(GetActiveWindow());
            }
        });
    }

    static void ClickInDialog(int id)
    {
        InDialog();
        winsim::ScriptClickControl(id);
    }

    // Starts the record afresh, for a test that looks only at what follows.
    static void ForgetEvents()
    {
        Note();
        Record& record = Recorded();
        record.events.clear();
        record.sheetMessages.clear();
        record.pageScrolls.clear();
    }

    // ---- what the page shows ----

    int DesktopPos() const { return static_cast<int>(SendMessageA(desktopSlider_, TBM_GETPOS, 0, 0)); }
    int ScreenPos() const { return static_cast<int>(SendMessageA(screenSlider_, TBM_GETPOS, 0, 0)); }
    int ScreenMax() const { return static_cast<int>(SendMessageA(screenSlider_, TBM_GETRANGEMAX, 0, 0)); }
    std::string Label() const
    {
        char text[256] = {};
        GetWindowTextA(label_, text, sizeof text);
        return text;
    }
    static std::string SizeText(int width, int height)
    {
        return std::to_string(width) + " by " + std::to_string(height) + " pixels";
    }
    static kvapi::Size Viewport() { return Driver().config().viewport; }
    // The screen area in force, saved as the one to go back to, and shown by the slider and label.
    void ExpectInForceAndShown(int position, kvapi::Size size) const
    {
        EXPECT_EQ(Viewport(), size);
        EXPECT_EQ(GetSavedScreenPos(), position);
        EXPECT_EQ(ScreenPos(), position);
        EXPECT_EQ(Label(), SizeText(static_cast<int>(size.width), static_cast<int>(size.height)));
    }

    testsupport::Sandbox system_{kSystemDirectory};
    HWND sheet_ = nullptr;
    HWND page_ = nullptr;
    HWND desktopSlider_ = nullptr;
    HWND screenSlider_ = nullptr;
    HWND depthCombo_ = nullptr;
    HWND label_ = nullptr;
};

}  // namespace screenareatest

namespace kvapi {
inline void PrintTo(const Size& size, std::ostream* out)
{
    *out << size.width << "x" << size.height;
}
}  // namespace kvapi
