// What the display extension asked of the system while it was loaded in this process: the
// message boxes it showed with their answers, the help it asked for, and the hooks, timers,
// screen DCs and graphics objects it holds now.
#pragma once

#include "deskhost/harness.h"
#include "platform/platform.h"

#include <functional>
#include <string>
#include <vector>

namespace deskhost {

struct ExtensionCalls {
    std::vector<MessageBoxSeen> messageBoxes;
    std::vector<DialogSeen> dialogs;
    std::vector<HelpCall> help;
};

struct ExtensionObjects {
    int hooks = 0;
    int timers = 0;
    int fonts = 0;
    int bitmaps = 0;
    int brushes = 0;
    int screenDcs = 0;
};

// From now on, a module of this file name (KVSETTNG.DLL) is observed from the moment it is
// mapped, before its entry runs. False when the system cannot tell this process of loads.
bool ObserveExtensionModule(const std::wstring& moduleName);
const ExtensionCalls& ExtensionCallsSeen();
// Whether the window is a dialog that the extension runs now (not a message box).
bool IsExtensionDialog(HWND window);
ExtensionObjects ExtensionObjectsAlive();

}  // namespace deskhost
