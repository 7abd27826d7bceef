// The Display control panel's property-sheet handlers, found and loaded as the shell does:
// each handler's class identifier, that class's in-process server, then the server's class
// object and extension object on the panel's thread.
#include "windows_panel.h"

#include <cstdio>

namespace deskhost {

const char kDisplayHandlersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\PropertySheetHandlers";

namespace {

constexpr char kHandlerName[] = "KVSETTNG";

std::string ClassIdText(const CLSID& id)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1],
                  id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
    return text;
}

bool ParseClassId(const std::string& text, CLSID& id)
{
    unsigned long data1 = 0;
    unsigned data2 = 0;
    unsigned data3 = 0;
    unsigned bytes[8] = {};
    char end = 0;
    if (text.size() != 38 ||
        std::sscanf(text.c_str(), "{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &data1, &data2, &data3,
                    &bytes[0], &bytes[1], &bytes[2], &bytes[3], &bytes[4], &bytes[5], &bytes[6], &bytes[7],
                    &end) != 12 ||
        end != '}') {
        return false;
    }
    id.Data1 = data1;
    id.Data2 = static_cast<WORD>(data2);
    id.Data3 = static_cast<WORD>(data3);
    for (int i = 0; i < 8; ++i) {
        id.Data4[i] = static_cast<BYTE>(bytes[i]);
    }
    return true;
}

// The default value of a key, when it is a string.
bool DefaultValue(HKEY root, const std::string& path, std::string& value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    char text[MAX_PATH] = {};
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    const LONG status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    value.assign(text, size > 0 && text[size - 1] == 0 ? size - 1 : size);
    return true;
}

bool SetStringValue(HKEY root, const std::string& path, const char* name, const std::string& value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const LONG status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void DeleteKey(HKEY root, const std::string& path)
{
    // RegDeleteKeyA deletes only keys without subkeys: the deepest first.
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
        char name[MAX_PATH];
        DWORD length = sizeof name;
        while (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            DeleteKey(root, path + "\\" + name);
            length = sizeof name;
        }
        RegCloseKey(key);
    }
    RegDeleteKeyA(root, path.c_str());
}

}  // namespace

std::vector<SheetHandler> RegisteredDisplayHandlers()
{
    std::vector<SheetHandler> handlers;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDisplayHandlersKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return handlers;
    }
    char name[MAX_PATH];
    DWORD length = sizeof name;
    for (DWORD index = 0;
         RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++index, length = sizeof name) {
        SheetHandler handler;
        handler.name.assign(name, length);
        std::string classId;
        if (!DefaultValue(key, handler.name, classId) || !ParseClassId(classId, handler.classId) ||
            !DefaultValue(HKEY_CLASSES_ROOT, "CLSID\\" + classId + "\\InProcServer32", handler.serverPath)) {
            continue;
        }
        handlers.push_back(handler);
    }
    RegCloseKey(key);
    return handlers;
}

bool RegisterDisplayExtension(const std::string& serverPath)
{
    const std::string classKey = "CLSID\\" + ClassIdText(kDisplayExtensionClassId);
    return SetStringValue(HKEY_CLASSES_ROOT, classKey, nullptr, "KVSETTNG Screen Area") &&
           SetStringValue(HKEY_CLASSES_ROOT, classKey + "\\InProcServer32", nullptr, serverPath) &&
           SetStringValue(HKEY_CLASSES_ROOT, classKey + "\\InProcServer32", "ThreadingModel", "Apartment") &&
           SetStringValue(HKEY_LOCAL_MACHINE, std::string(kDisplayHandlersKey) + "\\" + kHandlerName, nullptr,
                          ClassIdText(kDisplayExtensionClassId));
}

void UnregisterDisplayExtension()
{
    DeleteKey(HKEY_CLASSES_ROOT, "CLSID\\" + ClassIdText(kDisplayExtensionClassId));
    DeleteKey(HKEY_LOCAL_MACHINE, std::string(kDisplayHandlersKey) + "\\" + kHandlerName);
}

std::vector<ExtensionSession> LoadRegisteredHandlers()
{
    std::vector<ExtensionSession> sessions;
    for (const SheetHandler& handler : RegisteredDisplayHandlers()) {
        ExtensionSession session;
        if (LoadSheetExtension(handler.serverPath, handler.classId, session)) {
            sessions.push_back(session);
        }
    }
    return sessions;
}

std::vector<HPROPSHEETPAGE> PagesOf(const std::vector<ExtensionSession>& sessions)
{
    std::vector<HPROPSHEETPAGE> pages;
    for (const ExtensionSession& session : sessions) {
        pages.insert(pages.end(), session.pages.begin(), session.pages.end());
    }
    return pages;
}

}  // namespace deskhost
