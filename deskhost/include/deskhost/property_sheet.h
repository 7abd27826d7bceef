// The Display control panel's property sheet, "Display Properties", holding the Settings page.
// Where the system's property sheet is at hand the panel uses it; elsewhere this sheet stands
// in for it, with the same notifications to the page and the same Apply button rules.
#pragma once

#include "deskhost/settings_page.h"
#include "platform/platform.h"

#include <vector>

namespace deskhost {

struct SheetActivity {
    std::vector<UINT> notifications;  // PSN_ codes sent to the page, in order
    int changed = 0;                  // PSM_CHANGED received
    int unchanged = 0;                // PSM_UNCHANGED received
    int applyRefusals = 0;            // applies the page refused
    bool closed = false;
    bool closedByOk = false;
};

// Creates the sheet with the page of that layout from the panel's resources, owned by `owner`
// when one is given, and shows it; the caller's message loop runs it. Null when the sheet or
// its page cannot be made.
HWND OpenDisplaySheet(HINSTANCE resources, PageLayout layout, HWND owner = nullptr);
// Opens the sheet and runs it until the user closes it; false when it could not be opened.
bool RunDisplaySheet(HINSTANCE resources, PageLayout layout);

HWND DisplaySheetPage();
const SheetActivity& DisplaySheetActivity();

}  // namespace deskhost
