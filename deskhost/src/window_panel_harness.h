// What a harness reads from the panel's real windows, the same on winsim and under Wine:
// each harness says how it finds a control, and the observations follow from the windows.
#pragma once

#include "deskhost/harness.h"
#include "platform/platform.h"

#include <string>
#include <vector>

namespace deskhost {

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

protected:
    // The panel's window for a control, or null when the panel has none.
    virtual HWND Find(PanelControl control) const = 0;
};

}  // namespace deskhost
