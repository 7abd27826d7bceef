// The Display control panel as a Windows program: the system's property sheet with the
// Settings page, and the sheet's extensions found through their registration, as the shell
// finds and loads them.
#pragma once

#include "deskhost/settings_page.h"
#include "platform/platform.h"
#include "shell_loader.h"

#include <string>
#include <vector>

namespace deskhost {

// Where the shell looks for the Display control panel's property-sheet handlers (under
// HKEY_LOCAL_MACHINE), each a key whose default value is a class identifier.
extern const char kDisplayHandlersKey[];

struct SheetHandler {
    std::string name;        // the handler's key
    CLSID classId{};         // its default value
    std::string serverPath;  // HKEY_CLASSES_ROOT\CLSID\{...}\InProcServer32's default value
};

// The handlers registered now, in the registry's order; those without a readable class
// identifier or server are left out, as the shell leaves them out.
std::vector<SheetHandler> RegisteredDisplayHandlers();

// Registers the display extension at `serverPath` as the installation file does, and takes
// that registration away again.
bool RegisterDisplayExtension(const std::string& serverPath);
void UnregisterDisplayExtension();

// Loads every registered handler that gives an extension object; the pages they add go to
// the sheet.
std::vector<ExtensionSession> LoadRegisteredHandlers();
std::vector<HPROPSHEETPAGE> PagesOf(const std::vector<ExtensionSession>& sessions);

// The sheet "Display Properties" with the Settings page first and the extensions' pages
// after it. Modeless: the caller's loop passes messages through PumpDisplaySheetMessage and
// the sheet is destroyed when the user has closed it; `owner`, when given, owns it. Modal:
// returns when it is closed.
HWND OpenModelessDisplaySheet(HINSTANCE resources, PageLayout layout,
                              const std::vector<HPROPSHEETPAGE>& pages, HWND owner = nullptr);
bool RunModalDisplaySheet(HINSTANCE resources, PageLayout layout, const std::vector<HPROPSHEETPAGE>& pages);
// True when the message went to the sheet's dialog manager; destroys the sheet once closed.
bool PumpDisplaySheetMessage(MSG& message);
HWND DisplaySheetWindow();

}  // namespace deskhost
