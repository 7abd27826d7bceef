// The Display control panel's own Settings page: its dialog procedure, the same on every
// platform, and the switches a test or the panel's command line gives it.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>

namespace deskhost {

enum class PageLayout {
    Cloned,  // no screen-area controls: the extension clones them in
    Native,  // the page's own screen-area controls, hidden until the extension adopts them
};

struct SettingsPageOptions {
    PageLayout layout = PageLayout::Cloned;
    std::string driverPath;    // the display driver's KVAPI32.DLL
    bool refuseApply = false;  // the page's apply refuses its changes
};

// Taken by the page when it is initialised; refuseApply also at every apply.
void SetSettingsPageOptions(const SettingsPageOptions& options);
void SetPageRefusesApply(bool refuse);

// The page's template in the panel's resources, for its layout.
LPCSTR SettingsPageTemplate(PageLayout layout);
INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// What the page has done, for tests and the scripted session.
struct PageActivity {
    int applies = 0;                 // PSN_APPLY answered with PSNRET_NOERROR
    int refusedApplies = 0;          // PSN_APPLY answered with PSNRET_INVALID_NOCHANGEPAGE
    int modeChanges = 0;             // display-mode changes made by the page's apply
    int listRefreshes = 0;           // the mode lists read again (range command, device changes)
    int changedNotices = 0;          // PSM_CHANGED sent by the page itself
    std::uint32_t pendingDepth = 0;  // a colour depth applied that takes effect at restart; 0 for none
};
const PageActivity& SettingsPageActivity();

}  // namespace deskhost
