// What a harness reads from the panel's real windows, the same on winsim and under Wine:
// each harness says how it finds a control, and the observations follow from the windows.
#pragma once

#include "deskhost/deskhost_ids.h"
#include "deskhost/harness.h"
#include "deskhost/property_sheet.h"
#include "kvsettng/control_ids.h"
#include "platform/platform.h"

#include <cctype>
#include <string>
#include <vector>

namespace deskhost {

// The identifier of a control of the panel: the sheet's own buttons, and the Settings page's
// controls by the identifiers that the extension gives them in the page's layout.
inline int PanelControlId(PanelControl control, PageLayout layout)
{
    const auto onPage = [layout](ControlRole role) {
        return layout == PageLayout::Native ? kControlIds[role].native : kControlIds[role].cloned;
    };
    switch (control) {
        case PanelControl::ScreenSlider:
            return onPage(RoleScreenSlider);
        case PanelControl::ScreenLabel:
            return onPage(RoleScreenLabel);
        case PanelControl::DesktopSlider:
            return onPage(RoleDesktopSlider);
        case PanelControl::DesktopLabel:
            return onPage(RoleDesktopLabel);
        case PanelControl::DepthCombo:
            return onPage(RoleDepthCombo);
        case PanelControl::Preview:
            return onPage(RolePreviewControl);
        case PanelControl::HelpArea:
            return onPage(RoleHelpArea);
        case PanelControl::RangeCommand:
            return onPage(RoleRangeCommand);
        case PanelControl::Apply:
            return IDC_SHEET_APPLY;
        case PanelControl::Ok:
            return IDOK;
        case PanelControl::Cancel:
            return IDCANCEL;
    }
    return 0;
}

// Whether a window is of the button class, whose name the system compares without regard to
// case.
inline bool IsButton(HWND window)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    const char* expected = "button";
    for (int i = 0;; ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
        if (c != expected[i]) {
            return false;
        }
        if (c == '\0') {
            return true;
        }
    }
}

// The window of the shell that opens the panel, when `caption` names one: a top-level window
// that owns the sheet. Null for an empty caption.
inline HWND CreateSheetOwner(const std::string& caption)
{
    if (caption.empty()) {
        return nullptr;
    }
    constexpr char kClassName[] = "KvPanelHost";
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);  // fails harmlessly when an earlier panel registered it
    return CreateWindowExA(0, kClassName, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240,
                           nullptr, nullptr, instance, nullptr);
}

class WindowPanelHarness : public PanelHarness {
public:
    bool Exists(PanelControl control) const override { return Find(control) != nullptr; }

    bool IsVisible(PanelControl control) const override
    {
        const HWND window = Find(control);
        return window != nullptr && IsWindowVisible(window);
    }

    bool IsEnabled(PanelControl control) const override
    {
        const HWND window = Find(control);
        return window != nullptr && IsWindowEnabled(window);
    }

    SliderState Slider(PanelControl control) const override
    {
        const HWND slider = Find(control);
        if (slider == nullptr) {
            return SliderState{-1, -1, -1};
        }
        return SliderState{static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0)),
                           static_cast<int>(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0)),
                           static_cast<int>(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0))};
    }

    std::string Text(PanelControl control) const override
    {
        const HWND window = Find(control);
        char text[256] = {};
        if (window != nullptr) {
            GetWindowTextA(window, text, sizeof text);
        }
        return text;
    }

    PanelRect ScreenRect(PanelControl control) const override
    {
        RECT rect{};
        if (const HWND window = Find(control)) {
            GetWindowRect(window, &rect);
        }
        return PanelRect{rect.left, rect.top, rect.right, rect.bottom};
    }

    int DepthItem() const override
    {
        const HWND combo = Find(PanelControl::DepthCombo);
        return combo != nullptr ? static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)) : -1;
    }

    std::vector<std::string> DepthItems() const override
    {
        std::vector<std::string> items;
        const HWND combo = Find(PanelControl::DepthCombo);
        const int count = combo != nullptr ? static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i) {
            char text[256] = {};
            if (SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) <
                static_cast<LRESULT>(sizeof text)) {
                SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            }
            items.emplace_back(text);
        }
        return items;
    }

    // A button is clicked; any other control tells its parent as a click on a static does.
    bool Click(PanelControl control) override
    {
        const HWND window = Find(control);
        if (window == nullptr || !IsWindowVisible(window) || !IsWindowEnabled(window)) {
            return false;
        }
        if (IsButton(window)) {
            SendMessageA(window, BM_CLICK, 0, 0);
        } else {
            SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), 0),
                         reinterpret_cast<LPARAM>(window));
        }
        Settle();
        return true;
    }

    // What the control panel hears when the display's settings change elsewhere.
    void ChangeDeviceMode() override
    {
        if (Sheet() == nullptr) {
            return;
        }
        SendMessageA(HWND_BROADCAST, WM_DEVMODECHANGE, 0, reinterpret_cast<LPARAM>("DISPLAY"));
        if (const HWND page = DisplaySheetPage()) {
            SendMessageA(page, WM_DEVMODECHANGE, 0, reinterpret_cast<LPARAM>("DISPLAY"));
        }
        Settle();
    }

protected:
    // The window that has the focus when the user presses F1 over `control`: the control when
    // it can take the focus, else the desktop slider.
    HWND F1Focus(PanelControl control) const
    {
        const HWND focus = Find(control);
        if (focus == nullptr || !IsWindowEnabled(focus) ||
            (GetWindowLongA(focus, GWL_STYLE) & WS_TABSTOP) == 0) {
            return Find(PanelControl::DesktopSlider);
        }
        return focus;
    }

    // The panel's property sheet (null before it opens), and the layout of its Settings page.
    virtual HWND Sheet() const = 0;
    virtual PageLayout Layout() const = 0;

    // The panel's window for a control, or null when the panel has none.
    HWND Find(PanelControl control) const
    {
        const HWND sheet = Sheet();
        if (sheet == nullptr || !IsWindow(sheet)) {
            return nullptr;
        }
        const bool onSheet =
            control == PanelControl::Apply || control == PanelControl::Ok || control == PanelControl::Cancel;
        const HWND parent = onSheet ? sheet : DisplaySheetPage();
        return parent != nullptr ? GetDlgItem(parent, PanelControlId(control, Layout())) : nullptr;
    }
};

}  // namespace deskhost
