// deskhost: opens the stand-in Display control panel on winsim with the default adapter,
// prints what the Settings page shows, and closes it again.
#include "deskhost/harness.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Named {
    const char* name;
    deskhost::PanelControl control;
};

const Named kControls[] = {
    {"desktop slider", deskhost::PanelControl::DesktopSlider},
    {"desktop label", deskhost::PanelControl::DesktopLabel},
    {"screen slider", deskhost::PanelControl::ScreenSlider},
    {"screen label", deskhost::PanelControl::ScreenLabel},
    {"depth combo", deskhost::PanelControl::DepthCombo},
    {"help area", deskhost::PanelControl::HelpArea},
    {"preview", deskhost::PanelControl::Preview},
    {"apply", deskhost::PanelControl::Apply},
};

void PrintControls(const deskhost::PanelHarness& panel)
{
    for (const Named& named : kControls) {
        if (!panel.Exists(named.control)) {
            std::printf("%-15s missing\n", named.name);
            continue;
        }
        const deskhost::PanelRect r = panel.ScreenRect(named.control);
        std::printf("%-15s at (%d,%d)-(%d,%d)%s%s", named.name, r.left, r.top, r.right, r.bottom,
                    panel.IsVisible(named.control) ? "" : " hidden",
                    panel.IsEnabled(named.control) ? "" : " disabled");
        if (named.control == deskhost::PanelControl::DesktopSlider ||
            named.control == deskhost::PanelControl::ScreenSlider) {
            const deskhost::SliderState s = panel.Slider(named.control);
            std::printf(" position %d of %d..%d", s.position, s.minimum, s.maximum);
        } else if (named.control == deskhost::PanelControl::DepthCombo) {
            std::printf(" item %d", panel.DepthItem());
        } else {
            std::printf(" \"%s\"", panel.Text(named.control).c_str());
        }
        std::printf("\n");
    }
}

int Usage()
{
    std::fprintf(stderr, "usage: deskhost [--layout cloned|native] [--platform 95|98|nt]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    deskhost::PanelOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::string value = i + 1 < argc ? argv[i + 1] : "";
        if (argument == "--layout" && (value == "cloned" || value == "native")) {
            options.layout = value == "native" ? deskhost::PageLayout::Native : deskhost::PageLayout::Cloned;
        } else if (argument == "--platform" && (value == "95" || value == "98" || value == "nt")) {
            options.platform = value == "95"   ? deskhost::PlatformVersion::Windows95
                               : value == "98" ? deskhost::PlatformVersion::Windows98
                                               : deskhost::PlatformVersion::WindowsNT;
        } else {
            return Usage();
        }
        ++i;
    }

    auto panel = deskhost::MakePanelHarness();
    if (!panel->Open(options)) {
        std::fprintf(stderr, "deskhost: the panel could not be opened\n");
        return 1;
    }
    std::printf("extension %s\n", panel->ExtensionLoaded() ? "loaded" : "refused to load");
    for (const auto& box : panel->MessageBoxes()) {
        std::printf("message box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
    }
    const kvapi::Size viewport = panel->Viewport();
    const kvapi::Mode mode = panel->DisplayMode();
    std::printf("display %ux%ux%u, screen area %ux%u\n", mode.width, mode.height, unsigned{mode.depth},
                viewport.width, viewport.height);
    PrintControls(*panel);
    const deskhost::ClosedPanel closed = panel->Close(deskhost::CloseBy::Cancel);
    std::printf("closed: %d pages added, DllCanUnloadNow %ld, %s\n", closed.pagesAdded, closed.canUnload,
                closed.unloaded ? "unloaded" : "not unloaded");
    return 0;
}
