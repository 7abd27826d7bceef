// How the shell brings a property-sheet extension of the display settings into the control
// panel: load the module, ask it for its class object and an extension object, initialise
// it, let it add pages; and, when the panel has closed, release it and unload the module.
#pragma once

#include "platform/platform.h"

#include <string>
#include <vector>

namespace deskhost {

// The display extension's class identifier, as its registration names it.
extern const CLSID kDisplayExtensionClassId;

struct ExtensionSession {
    HMODULE module = nullptr;
    IShellPropSheetExt* extension = nullptr;
    HRESULT classObjectResult = E_FAIL;  // DllGetClassObject
    HRESULT createResult = E_FAIL;       // IClassFactory::CreateInstance
    HRESULT initializeResult = E_FAIL;   // IShellExtInit::Initialize
    HRESULT addPagesResult = E_FAIL;     // IShellPropSheetExt::AddPages
    int pagesAdded = 0;                  // calls of the add-page callback
    std::vector<HPROPSHEETPAGE> pages;   // the pages those calls gave
};

struct UnloadResult {
    ULONG lastRelease = 0;       // what the extension's last Release answered
    HRESULT canUnload = E_FAIL;  // DllCanUnloadNow before FreeLibrary
    bool freed = false;          // FreeLibrary succeeded
};

// False when the module does not load (its start-up refused) or gives no extension object;
// the panel then opens without it, as the shell's does.
bool LoadDisplayExtension(const std::string& modulePath, ExtensionSession& session);
// The same for the class identifier that a handler's registration names; the pages that the
// extension adds through the callback are kept in `pages` for the sheet.
bool LoadSheetExtension(const std::string& modulePath, const CLSID& classId, ExtensionSession& session);
UnloadResult UnloadDisplayExtension(ExtensionSession& session);

}  // namespace deskhost
