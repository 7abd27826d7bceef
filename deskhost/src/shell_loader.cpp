// The shell's side of a property-sheet extension, on the panel's one thread.
#include "shell_loader.h"

namespace deskhost {

const CLSID kDisplayExtensionClassId = {
    0x71DFC44E, 0x99D6, 0x4227, {0xBF, 0x5F, 0xB9, 0x2D, 0x68, 0x74, 0x29, 0xBD}};

namespace {

const IID kClassFactoryId = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kShellExtInitId = {0x000214E8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kShellPropSheetExtId = {
    0x000214E9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

using GetClassObjectProc = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNowProc = HRESULT(WINAPI*)();

// The panel's sheet takes the pages an extension adds; the display extension must add none.
BOOL CALLBACK KeepAddedPage(HPROPSHEETPAGE page, LPARAM context)
{
    auto* session = reinterpret_cast<ExtensionSession*>(context);
    ++session->pagesAdded;
    if (page != nullptr) {
        session->pages.push_back(page);
    }
    return page != nullptr;
}

bool CreateExtension(HMODULE module, const CLSID& classId, ExtensionSession& session)
{
    const auto getClassObject = ProcAs<GetClassObjectProc>(GetProcAddress(module, "DllGetClassObject"));
    if (getClassObject == nullptr) {
        return false;
    }
    IClassFactory* factory = nullptr;
    session.classObjectResult = getClassObject(classId, kClassFactoryId, reinterpret_cast<void**>(&factory));
    if (FAILED(session.classObjectResult) || factory == nullptr) {
        return false;
    }
    session.createResult =
        factory->CreateInstance(nullptr, kShellPropSheetExtId, reinterpret_cast<void**>(&session.extension));
    factory->Release();
    return SUCCEEDED(session.createResult) && session.extension != nullptr;
}

}  // namespace

bool LoadDisplayExtension(const std::string& modulePath, ExtensionSession& session)
{
    return LoadSheetExtension(modulePath, kDisplayExtensionClassId, session);
}

bool LoadSheetExtension(const std::string& modulePath, const CLSID& classId, ExtensionSession& session)
{
    session = ExtensionSession{};
    session.module = LoadLibraryA(modulePath.c_str());
    if (session.module == nullptr) {
        return false;
    }
    if (!CreateExtension(session.module, classId, session)) {
        UnloadDisplayExtension(session);
        return false;
    }
    IShellExtInit* init = nullptr;
    if (SUCCEEDED(session.extension->QueryInterface(kShellExtInitId, reinterpret_cast<void**>(&init))) &&
        init != nullptr) {
        session.initializeResult = init->Initialize(nullptr, nullptr, nullptr);
        init->Release();
    }
    session.addPagesResult = session.extension->AddPages(KeepAddedPage, reinterpret_cast<LPARAM>(&session));
    return true;
}

UnloadResult UnloadDisplayExtension(ExtensionSession& session)
{
    UnloadResult result;
    if (session.extension != nullptr) {
        result.lastRelease = session.extension->Release();
        session.extension = nullptr;
    }
    if (session.module != nullptr) {
        const auto canUnload = ProcAs<CanUnloadNowProc>(GetProcAddress(session.module, "DllCanUnloadNow"));
        result.canUnload = canUnload != nullptr ? canUnload() : E_FAIL;
        result.freed = FreeLibrary(session.module) != FALSE;
        session.module = nullptr;
    }
    return result;
}

}  // namespace deskhost
