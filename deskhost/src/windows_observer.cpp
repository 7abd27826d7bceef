// What the display extension asks of the system, seen from its own import table: the loader
// tells this process about every module it maps before the module's entry runs, and the
// extension's entries for message boxes, help, hooks, timers, screen DCs and graphics objects
// are pointed at recorders that pass every call on to the system.
#include "windows_observer.h"
#include "windows_panel.h"

#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <utility>

namespace deskhost {
namespace {

struct LoadedNotification {
    ULONG flags;
    const UNICODE_STRING* fullName;
    const UNICODE_STRING* baseName;
    void* base;
    ULONG size;
};
using NotificationProc = void(CALLBACK*)(ULONG reason, const LoadedNotification* data, void* context);
using RegisterNotificationProc = LONG(NTAPI*)(ULONG, NotificationProc, void*, void**);
constexpr ULONG kModuleLoaded = 1;

enum class GdiKind { Font, Bitmap, Brush };

struct ObserverState {
    std::wstring moduleName;  // upper case
    ExtensionCalls calls;
    std::set<HHOOK> hooks;
    std::set<std::pair<HWND, UINT_PTR>> timers;
    std::map<HGDIOBJ, GdiKind> objects;
    int screenDcs = 0;
    // The procedures of the modal dialogs open now, innermost last, and their records.
    std::vector<std::pair<DLGPROC, std::size_t>> dialogs;
    std::set<HWND> dialogWindows;
};

ObserverState& State()
{
    static auto* state = new ObserverState;
    return *state;
}

// ---- the recorders ----

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    ObserverState& state = State();
    const std::size_t index = state.calls.messageBoxes.size();
    const bool ownedBySheet = owner != nullptr && owner == DisplaySheetWindow();
    state.calls.messageBoxes.push_back(MessageBoxSeen{caption != nullptr ? caption : "Error",
                                                      text != nullptr ? text : "", type, 0, ownedBySheet});
    const int answer = MessageBoxA(owner, text, caption, type);
    state.calls.messageBoxes[index].answer = answer;
    return answer;
}

INT_PTR CALLBACK RelayDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    ObserverState& state = State();
    if (state.dialogs.empty()) {
        return FALSE;
    }
    const auto [proc, index] = state.dialogs.back();
    if (message == WM_INITDIALOG) {
        char caption[256] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        state.calls.dialogs[index].caption = caption;
        state.dialogWindows.insert(dialog);
    } else if (message == WM_NCDESTROY) {
        state.dialogWindows.erase(dialog);
    }
    return proc != nullptr ? proc(dialog, message, wParam, lParam) : FALSE;
}

INT_PTR WINAPI RecordDialogBox(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM parameter)
{
    ObserverState& state = State();
    state.calls.dialogs.push_back(DialogSeen{});
    const std::size_t index = state.calls.dialogs.size() - 1;
    state.dialogs.emplace_back(proc, index);
    const INT_PTR result = DialogBoxParamA(instance, name, owner, RelayDialog, parameter);
    state.dialogs.pop_back();
    state.calls.dialogs[index].result = static_cast<int>(result);
    return result;
}

BOOL WINAPI RecordWinHelp(HWND window, LPCSTR path, UINT command, ULONG_PTR data)
{
    HelpCall call{path != nullptr ? path : "", command, {}, window != nullptr ? GetDlgCtrlID(window) : 0};
    if ((command == HELP_WM_HELP || command == HELP_CONTEXTMENU) && data != 0) {
        const auto* ids = reinterpret_cast<const DWORD*>(data);
        for (int i = 0; i < 256 && (ids[2 * i] != 0 || ids[2 * i + 1] != 0); ++i) {
            call.helpIds.emplace_back(ids[2 * i], ids[2 * i + 1]);
        }
    }
    State().calls.help.push_back(std::move(call));
    // The viewer itself is not started: a scenario looks at what was asked of it.
    return TRUE;
}

HHOOK WINAPI RecordSetHook(int kind, HOOKPROC proc, HINSTANCE instance, DWORD thread)
{
    const HHOOK hook = SetWindowsHookExA(kind, proc, instance, thread);
    if (hook != nullptr) {
        State().hooks.insert(hook);
    }
    return hook;
}

BOOL WINAPI RecordUnhook(HHOOK hook)
{
    const BOOL done = UnhookWindowsHookEx(hook);
    if (done) {
        State().hooks.erase(hook);
    }
    return done;
}

UINT_PTR WINAPI RecordSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    const UINT_PTR timer = SetTimer(window, id, elapse, proc);
    if (timer != 0) {
        State().timers.insert({window, window != nullptr ? id : timer});
    }
    return timer;
}

BOOL WINAPI RecordKillTimer(HWND window, UINT_PTR id)
{
    const BOOL done = KillTimer(window, id);
    State().timers.erase({window, id});
    return done;
}

HDC WINAPI RecordGetDC(HWND window)
{
    const HDC dc = GetDC(window);
    if (dc != nullptr && window == nullptr) {
        ++State().screenDcs;
    }
    return dc;
}

int WINAPI RecordReleaseDC(HWND window, HDC dc)
{
    const int released = ReleaseDC(window, dc);
    if (released != 0 && window == nullptr) {
        --State().screenDcs;
    }
    return released;
}

template <typename Handle>
Handle Keep(Handle object, GdiKind kind)
{
    if (object != nullptr) {
        State().objects[object] = kind;
    }
    return object;
}

HFONT WINAPI RecordCreateFont(const LOGFONTA* font)
{
    return Keep(CreateFontIndirectA(font), GdiKind::Font);
}

HBITMAP WINAPI RecordCreateBitmap(int width, int height, UINT planes, UINT bits, const void* data)
{
    return Keep(CreateBitmap(width, height, planes, bits, data), GdiKind::Bitmap);
}

HBITMAP WINAPI RecordCreateCompatibleBitmap(HDC dc, int width, int height)
{
    return Keep(CreateCompatibleBitmap(dc, width, height), GdiKind::Bitmap);
}

HBITMAP WINAPI RecordLoadBitmap(HINSTANCE instance, LPCSTR name)
{
    return Keep(LoadBitmapA(instance, name), GdiKind::Bitmap);
}

HBRUSH WINAPI RecordCreateSolidBrush(COLORREF colour)
{
    return Keep(CreateSolidBrush(colour), GdiKind::Brush);
}

BOOL WINAPI RecordDeleteObject(HGDIOBJ object)
{
    const BOOL done = DeleteObject(object);
    if (done) {
        State().objects.erase(object);
    }
    return done;
}

template <typename Function>
void* Address(Function* function)
{
    return reinterpret_cast<void*>(reinterpret_cast<void (*)()>(function));
}

const std::map<std::string, void*>& Recorders()
{
    static const std::map<std::string, void*> recorders = {
        {"MessageBoxA", Address(&RecordMessageBox)},
        {"WinHelpA", Address(&RecordWinHelp)},
        {"DialogBoxParamA", Address(&RecordDialogBox)},
        {"SetWindowsHookExA", Address(&RecordSetHook)},
        {"UnhookWindowsHookEx", Address(&RecordUnhook)},
        {"SetTimer", Address(&RecordSetTimer)},
        {"KillTimer", Address(&RecordKillTimer)},
        {"GetDC", Address(&RecordGetDC)},
        {"ReleaseDC", Address(&RecordReleaseDC)},
        {"CreateFontIndirectA", Address(&RecordCreateFont)},
        {"CreateBitmap", Address(&RecordCreateBitmap)},
        {"CreateCompatibleBitmap", Address(&RecordCreateCompatibleBitmap)},
        {"LoadBitmapA", Address(&RecordLoadBitmap)},
        {"CreateSolidBrush", Address(&RecordCreateSolidBrush)},
        {"DeleteObject", Address(&RecordDeleteObject)},
    };
    return recorders;
}

// Points the module's import entries that have a recorder at it.
void RedirectImports(BYTE* base)
{
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        return;
    }
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (import->OriginalFirstThunk != 0 ? import->OriginalFirstThunk : import->FirstThunk));
        auto* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++entries) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const auto recorder = Recorders().find(reinterpret_cast<const char*>(byName->Name));
            if (recorder == Recorders().end()) {
                continue;
            }
            DWORD protection = 0;
            VirtualProtect(&entries->u1.Function, sizeof entries->u1.Function, PAGE_READWRITE, &protection);
            entries->u1.Function = reinterpret_cast<DWORD_PTR>(recorder->second);
            VirtualProtect(&entries->u1.Function, sizeof entries->u1.Function, protection, &protection);
        }
    }
}

std::wstring Upper(std::wstring text)
{
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(towupper(c));
    }
    return text;
}

void CALLBACK OnModuleLoaded(ULONG reason, const LoadedNotification* data, void* /*context*/)
{
    if (reason != kModuleLoaded || data == nullptr || data->baseName == nullptr) {
        return;
    }
    const std::wstring name(data->baseName->Buffer, data->baseName->Length / sizeof(wchar_t));
    if (Upper(name) == State().moduleName) {
        RedirectImports(static_cast<BYTE*>(data->base));
    }
}

}  // namespace

bool ObserveExtensionModule(const std::wstring& moduleName)
{
    State().moduleName = Upper(moduleName);
    static void* cookie = nullptr;
    if (cookie != nullptr) {
        return true;
    }
    const auto registerNotification = reinterpret_cast<RegisterNotificationProc>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "LdrRegisterDllNotification")));
    return registerNotification != nullptr && registerNotification(0, OnModuleLoaded, nullptr, &cookie) == 0;
}

bool IsExtensionDialog(HWND window)
{
    return State().dialogWindows.count(window) != 0;
}

const ExtensionCalls& ExtensionCallsSeen()
{
    return State().calls;
}

ExtensionObjects ExtensionObjectsAlive()
{
    ObserverState& state = State();
    ExtensionObjects alive;
    alive.hooks = static_cast<int>(state.hooks.size());
    // A window's timers end with the window.
    alive.timers =
        static_cast<int>(std::count_if(state.timers.begin(), state.timers.end(), [](const auto& timer) {
            return timer.first == nullptr || IsWindow(timer.first);
        }));
    for (const auto& [object, kind] : state.objects) {
        (kind == GdiKind::Font ? alive.fonts : kind == GdiKind::Bitmap ? alive.bitmaps : alive.brushes) += 1;
    }
    alive.screenDcs = state.screenDcs;
    return alive;
}

}  // namespace deskhost
