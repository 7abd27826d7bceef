// Windows and their classes: the handle table, creation and destruction, the window words,
// text, the parent and owner relations, and the default window procedure.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "controls.h"
#include "faults.h"
#include "message_queue.h"
#include "text.h"
#include "user_windows.h"

namespace {

using winsim::detail::EqualsIgnoreCase;
using winsim::detail::LookupWindow;
using winsim::detail::Window;

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;  // null: a system class, found from every module
    HBRUSH background = nullptr;
};

struct Windows {
    std::map<std::uintptr_t, std::unique_ptr<Window>> table;
    std::vector<WindowClass> classes;
    std::uintptr_t nextHandle = 0x00010020;
    bool reuseHandles = false;
    std::vector<std::uintptr_t> freedHandles;  // the last freed at the back
    std::uint64_t nextSequence = 1;
    ATOM nextAtom = 0xC000;
    bool classesRegistered = false;
    int defaultPlacements = 0;
};

Windows& State()
{
    static auto* windows = new Windows;
    return *windows;
}

constexpr std::uintptr_t kDesktopHandle = 0x00010010;
// Unless told to reuse them, handles are never reused, so that a destroyed window's handle
// stays invalid.
constexpr std::uintptr_t kHandleSpacing = 4;
constexpr ATOM kDialogAtom = 0x8002;
constexpr const char* kDialogClassName = "#32770";
constexpr const char* kDesktopClassName = "#32769";

std::uintptr_t Key(HWND window)
{
    return reinterpret_cast<std::uintptr_t>(window);
}

HWND HandleOf(std::uintptr_t key)
{
    return reinterpret_cast<HWND>(key);
}

Window& Desktop()
{
    Windows& windows = State();
    auto found = windows.table.find(kDesktopHandle);
    if (found != windows.table.end()) {
        return *found->second;
    }
    auto desktop = std::make_unique<Window>();
    desktop->handle = HandleOf(kDesktopHandle);
    desktop->className = kDesktopClassName;
    desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    desktop->proc = DefWindowProcA;
    Window& result = *desktop;
    windows.table.emplace(kDesktopHandle, std::move(desktop));
    return result;
}

// Class names given as atoms (MAKEINTATOM) are looked up by atom.
std::string NameOfClassArgument(LPCSTR name)
{
    if (IS_INTRESOURCE(name)) {
        return "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name));
    }
    return name;
}

bool ClassMatches(const WindowClass& windowClass, LPCSTR name)
{
    if (IS_INTRESOURCE(name)) {
        return windowClass.atom == static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
    }
    return EqualsIgnoreCase(windowClass.name, name);
}

// A class registered by the module comes before a system class of the same name.
const WindowClass* FindClass(LPCSTR name, HINSTANCE instance)
{
    winsim::detail::EnsureClassesRegistered();
    const WindowClass* system = nullptr;
    for (const WindowClass& windowClass : State().classes) {
        if (!ClassMatches(windowClass, name)) {
            continue;
        }
        if (windowClass.instance == instance) {
            return &windowClass;
        }
        if (windowClass.instance == nullptr || (windowClass.style & CS_GLOBALCLASS) != 0) {
            system = &windowClass;
        }
    }
    return system;
}

void RegisterDialogClass()
{
    WindowClass dialog;
    dialog.name = kDialogClassName;
    dialog.atom = kDialogAtom;
    dialog.style = CS_DBLCLKS | CS_GLOBALCLASS;
    dialog.proc = winsim::detail::DialogClassProc;
    dialog.wndExtra = DLGWINDOWEXTRA;
    State().classes.push_back(dialog);
}

bool IsChildStyle(DWORD style)
{
    return (style & WS_CHILD) != 0;
}

// Default places for overlapped windows that ask for CW_USEDEFAULT, cascading.
POINT NextDefaultPlace()
{
    const int step = State().defaultPlacements++ % 8;
    return POINT{32 + 24 * step, 32 + 24 * step};
}

void Unlink(HWND window)
{
    if (std::vector<HWND>* siblings = winsim::detail::SiblingList(window)) {
        siblings->erase(std::remove(siblings->begin(), siblings->end(), window), siblings->end());
    }
}

void NotifyParents(HWND window, UINT event)
{
    HWND current = window;
    while (const Window* w = LookupWindow(current)) {
        if (!IsChildStyle(w->style) || (w->exStyle & WS_EX_NOPARENTNOTIFY) != 0 || w->parent == nullptr) {
            return;
        }
        const HWND parent = w->parent;
        const auto id = static_cast<WORD>(w->id);
        SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(event, id), reinterpret_cast<LPARAM>(window));
        current = parent;
    }
}

// WM_DESTROY reaches a window before its children.
void SendDestroyMessages(HWND window)
{
    if (LookupWindow(window) == nullptr) {
        return;
    }
    winsim::detail::ForgetWindow(window);
    SendMessageA(window, WM_DESTROY, 0, 0);
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        return;
    }
    const std::vector<HWND> children = w->children;
    for (HWND child : children) {
        if (Window* c = LookupWindow(child)) {
            c->destroying = true;
            SendDestroyMessages(child);
        }
    }
}

// WM_NCDESTROY reaches the children before their parent; then the window is gone.
void FreeWindowTree(HWND window)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        return;
    }
    const std::vector<HWND> children = w->children;
    for (HWND child : children) {
        FreeWindowTree(child);
    }
    winsim::detail::KillWindowTimers(window);
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    winsim::detail::KillWindowTimers(window);
    winsim::detail::ForgetWindow(window);
    Unlink(window);
    winsim::detail::RemovePostedMessages(window);
    State().table.erase(Key(window));
    if (State().reuseHandles) {
        State().freedHandles.push_back(Key(window));
    }
}

HWND NewHandle()
{
    Windows& windows = State();
    if (windows.reuseHandles && !windows.freedHandles.empty()) {
        const std::uintptr_t reused = windows.freedHandles.back();
        windows.freedHandles.pop_back();
        return HandleOf(reused);
    }
    const HWND handle = HandleOf(windows.nextHandle);
    windows.nextHandle += kHandleSpacing;
    return handle;
}

void DestroyOwnedWindows(HWND owner)
{
    for (HWND window : winsim::detail::TopLevelWindows()) {
        const Window* w = LookupWindow(window);
        if (w != nullptr && w->owner == owner && !w->destroying) {
            DestroyWindow(window);
        }
    }
}

int CopyText(const std::string& text, LPSTR buffer, int size)
{
    if (buffer == nullptr || size <= 0) {
        return 0;
    }
    const std::size_t count = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

// A window name that begins with 0xFF is a resource ordinal (an icon of a static control).
std::string NameText(LPCSTR name)
{
    if (name == nullptr || static_cast<unsigned char>(name[0]) == 0xFF) {
        return std::string();
    }
    return name;
}

LRESULT SendHelpForKey(HWND window)
{
    HELPINFO info{};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = GetDlgCtrlID(window);
    info.hItemHandle = window;
    info.dwContextId = 0;
    GetCursorPos(&info.MousePos);
    return SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

void SendSizeAndMove(HWND window, UINT flags)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        return;
    }
    const RECT client = winsim::detail::ClientRectOnScreen(*w);
    POINT origin{client.left, client.top};
    if (w->parent != nullptr) {
        ScreenToClient(w->parent, &origin);
    }
    const LPARAM size = MAKELPARAM(client.right - client.left, client.bottom - client.top);
    if ((flags & SWP_NOCLIENTMOVE) == 0) {
        SendMessageA(window, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    }
    if ((flags & SWP_NOCLIENTSIZE) == 0) {
        SendMessageA(window, WM_SIZE, SIZE_RESTORED, size);
    }
}

LONG_PTR ReadExtra(const Window& w, int index, std::size_t size)
{
    if (index < 0 || static_cast<std::size_t>(index) + size > w.extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    if (size == sizeof(LONG)) {
        LONG value = 0;
        std::memcpy(&value, w.extra.data() + index, sizeof(value));
        return value;
    }
    LONG_PTR value = 0;
    std::memcpy(&value, w.extra.data() + index, sizeof(value));
    return value;
}

LONG_PTR WriteExtra(Window& w, int index, LONG_PTR value, std::size_t size)
{
    if (index < 0 || static_cast<std::size_t>(index) + size > w.extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    const LONG_PTR previous = ReadExtra(w, index, size);
    if (size == sizeof(LONG)) {
        const auto narrow = static_cast<LONG>(value);
        std::memcpy(w.extra.data() + index, &narrow, sizeof(narrow));
    } else {
        std::memcpy(w.extra.data() + index, &value, sizeof(value));
    }
    return previous;
}

LONG_PTR ChangeStyle(HWND window, int index, DWORD style)
{
    Window* w = LookupWindow(window);
    const DWORD old = index == GWL_STYLE ? w->style : w->exStyle;
    STYLESTRUCT change{old, style};
    SendMessageA(window, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
    w = LookupWindow(window);
    if (w == nullptr) {
        return 0;
    }
    (index == GWL_STYLE ? w->style : w->exStyle) = change.styleNew;
    SendMessageA(window, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
    return static_cast<LONG>(old);
}

// A child moves under its new parent keeping its place relative to the parent's client area.
HWND ChangeParent(HWND window, HWND parent)
{
    Window* w = LookupWindow(window);
    Window* p = LookupWindow(parent);
    if (w == nullptr || p == nullptr || winsim::detail::IsAncestor(window, parent) || window == parent) {
        return nullptr;
    }
    const HWND old = w->parent;
    POINT offset{w->rect.left, w->rect.top};
    ScreenToClient(old, &offset);
    Unlink(window);
    w->parent = parent;
    p->children.push_back(window);
    const POINT origin = winsim::detail::ClientOrigin(parent);
    winsim::detail::ShiftWindowTree(window, origin.x + offset.x - w->rect.left,
                                    origin.y + offset.y - w->rect.top);
    return old;
}

LONG_PTR SetWindowWord(HWND window, int index, LONG_PTR value, std::size_t size)
{
    Window* w = LookupWindow(window);
    if (w == nullptr || winsim::detail::IsDesktop(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (index >= 0) {
        return WriteExtra(*w, index, value, size);
    }
    LONG_PTR previous = 0;
    switch (index) {
        case GWLP_WNDPROC:
            previous = reinterpret_cast<LONG_PTR>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(value);
            return previous;
        case GWLP_HINSTANCE:
            previous = reinterpret_cast<LONG_PTR>(w->instance);
            w->instance = reinterpret_cast<HINSTANCE>(value);
            return previous;
        case GWLP_ID:
            previous = w->id;
            w->id = value;
            return previous;
        case GWLP_USERDATA:
            previous = w->userData;
            w->userData = value;
            return previous;
        case GWL_STYLE:
        case GWL_EXSTYLE:
            return ChangeStyle(window, index, static_cast<DWORD>(value));
        case GWLP_HWNDPARENT: {
            const auto target = reinterpret_cast<HWND>(value);
            if (IsChildStyle(w->style) && w->parent != nullptr) {
                return reinterpret_cast<LONG_PTR>(ChangeParent(window, target));
            }
            previous = reinterpret_cast<LONG_PTR>(w->owner);
            w->owner = target == nullptr ? nullptr : winsim::detail::RootWindow(target);
            return previous;
        }
        default:
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
    }
}

LONG_PTR GetWindowWord(HWND window, int index, std::size_t size)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (index >= 0) {
        return ReadExtra(*w, index, size);
    }
    switch (index) {
        case GWLP_WNDPROC:
            return reinterpret_cast<LONG_PTR>(w->proc);
        case GWLP_HINSTANCE:
            return reinterpret_cast<LONG_PTR>(w->instance);
        case GWLP_ID:
            return w->id;
        case GWLP_USERDATA:
            return w->userData;
        case GWL_STYLE:
            return static_cast<LONG>(w->style);
        case GWL_EXSTYLE:
            return static_cast<LONG>(w->exStyle);
        case GWLP_HWNDPARENT:
            return reinterpret_cast<LONG_PTR>(IsChildStyle(w->style) ? w->parent : w->owner);
        default:
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
    }
}

struct Placement {
    RECT rect;  // screen coordinates
};

Placement PlaceNewWindow(const CREATESTRUCTA& create, bool child, HWND parent)
{
    int x = create.x;
    int y = create.y;
    int cx = create.cx;
    int cy = create.cy;
    const bool overlapped = !child && (create.style & WS_POPUP) == 0;
    if (x == CW_USEDEFAULT) {
        const POINT place = overlapped ? NextDefaultPlace() : POINT{0, 0};
        x = place.x;
        y = place.y;
    }
    if (cx == CW_USEDEFAULT) {
        if (overlapped) {
            cx = GetSystemMetrics(SM_CXSCREEN) * 3 / 4;
            cy = GetSystemMetrics(SM_CYSCREEN) * 3 / 4;
        } else {
            cx = 0;
            cy = 0;
        }
    }
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    POINT origin{0, 0};
    if (child) {
        origin = winsim::detail::ClientOrigin(parent);
    }
    return Placement{RECT{origin.x + x, origin.y + y, origin.x + x + cx, origin.y + y + cy}};
}

}  // namespace

// ---- classes ----

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass)
{
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr || windowClass->cbWndExtra < 0 ||
        windowClass->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    winsim::detail::EnsureClassesRegistered();
    Windows& windows = State();
    for (const WindowClass& existing : windows.classes) {
        if (ClassMatches(existing, windowClass->lpszClassName) &&
            existing.instance == windowClass->hInstance) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    WindowClass entry;
    entry.name = NameOfClassArgument(windowClass->lpszClassName);
    entry.atom = windows.nextAtom++;
    entry.style = windowClass->style;
    entry.proc = windowClass->lpfnWndProc;
    entry.wndExtra = windowClass->cbWndExtra;
    entry.instance = windowClass->hInstance;
    entry.background = windowClass->hbrBackground;
    windows.classes.push_back(entry);
    return entry.atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance)
{
    if (className == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto& classes = State().classes;
    auto found = std::find_if(classes.begin(), classes.end(), [&](const WindowClass& c) {
        return ClassMatches(c, className) && c.instance == instance;
    });
    if (found == classes.end()) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    for (const auto& [key, window] : State().table) {
        if (window->atom == found->atom) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
    }
    classes.erase(found);
    return TRUE;
}

int WINAPI GetClassNameA(HWND window, LPSTR className, int maxCount)
{
    const bool failing = winsim::detail::FailableCall("GetClassNameA");
    const Window* w = LookupWindow(window);
    if (failing || w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CopyText(w->className, className, maxCount);
}

// ---- creation and destruction ----

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    if (winsim::detail::FailableCall("CreateWindowExA")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (className == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const WindowClass* windowClass = FindClass(className, instance);
    if (windowClass == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent != nullptr && LookupWindow(parent) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    bool child = IsChildStyle(style);
    if (child && parent == nullptr) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    if (child && winsim::detail::IsDesktop(parent)) {
        child = false;
    }
    if (!child && (style & WS_POPUP) == 0) {
        style |= WS_CAPTION | WS_CLIPSIBLINGS;  // an overlapped window always has a caption
    }
    const bool showAfterCreation = (style & WS_VISIBLE) != 0;

    CREATESTRUCTA create{param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
                         windowName, className, exStyle};
    Windows& windows = State();
    auto window = std::make_unique<Window>();
    const HWND handle = NewHandle();
    window->handle = handle;
    window->className = windowClass->name;
    window->atom = windowClass->atom;
    window->classStyle = windowClass->style;
    window->background = windowClass->background;
    window->style = style & ~static_cast<DWORD>(WS_VISIBLE);
    window->exStyle = exStyle;
    window->id = reinterpret_cast<LONG_PTR>(menu);
    window->instance = instance;
    window->proc = windowClass->proc;
    window->extra.assign(static_cast<std::size_t>(windowClass->wndExtra), 0);
    window->sequence = windows.nextSequence++;
    if (child) {
        window->parent = parent;
    } else if (parent != nullptr && !winsim::detail::IsDesktop(parent)) {
        window->owner = winsim::detail::RootWindow(parent);
    }
    window->rect = PlaceNewWindow(create, child, parent).rect;
    windows.table.emplace(Key(handle), std::move(window));
    if (child) {
        LookupWindow(parent)->children.push_back(handle);  // a new child goes to the bottom
    } else {
        auto& top = Desktop().children;
        top.insert(top.begin(), handle);  // a new top-level window goes to the top
    }

    if (SendMessageA(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0) {
        FreeWindowTree(handle);
        return nullptr;
    }
    if (LookupWindow(handle) == nullptr) {
        return nullptr;
    }
    if (SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        FreeWindowTree(handle);
        return nullptr;
    }
    if (LookupWindow(handle) == nullptr) {
        return nullptr;
    }
    SendSizeAndMove(handle, 0);
    NotifyParents(handle, WM_CREATE);
    if (showAfterCreation && LookupWindow(handle) != nullptr) {
        ShowWindow(handle, SW_SHOW);
    }
    return LookupWindow(handle) != nullptr ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND window)
{
    Window* w = LookupWindow(window);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (winsim::detail::IsDesktop(window)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (w->destroying) {
        return TRUE;
    }
    w->destroying = true;
    const bool child = IsChildStyle(w->style) && w->parent != nullptr;
    if (child) {
        NotifyParents(window, WM_DESTROY);
    }
    if (const Window* still = LookupWindow(window); still != nullptr && (still->style & WS_VISIBLE) != 0) {
        // Only a child hears WM_SHOWWINDOW as it goes.
        if (child) {
            ShowWindow(window, SW_HIDE);
        } else {
            SetWindowPos(window, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (LookupWindow(window) == nullptr) {
        return TRUE;
    }
    if (!child) {
        DestroyOwnedWindows(window);
    }
    SendDestroyMessages(window);
    FreeWindowTree(window);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window)
{
    return LookupWindow(window) != nullptr ? TRUE : FALSE;
}

// ---- relations ----

HWND WINAPI GetParent(HWND window)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (IsChildStyle(w->style)) {
        return w->parent;
    }
    if ((w->style & WS_POPUP) != 0) {
        return w->owner;
    }
    return nullptr;  // an overlapped window answers neither parent nor owner
}

BOOL WINAPI IsChild(HWND parent, HWND window)
{
    const Window* w = LookupWindow(window);
    while (w != nullptr && IsChildStyle(w->style) && w->parent != nullptr) {
        if (w->parent == parent) {
            return TRUE;
        }
        w = LookupWindow(w->parent);
    }
    return FALSE;
}

HWND WINAPI GetWindow(HWND window, UINT relation)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (relation == GW_CHILD) {
        return w->children.empty() ? nullptr : w->children.front();
    }
    if (relation == GW_OWNER) {
        return w->owner;
    }
    const std::vector<HWND>* siblings = winsim::detail::SiblingList(window);
    if (siblings == nullptr || siblings->empty()) {
        return nullptr;
    }
    const auto at = std::find(siblings->begin(), siblings->end(), window);
    switch (relation) {
        case GW_HWNDFIRST:
            return siblings->front();
        case GW_HWNDLAST:
            return siblings->back();
        case GW_HWNDNEXT:
            return (at == siblings->end() || at + 1 == siblings->end()) ? nullptr : *(at + 1);
        case GW_HWNDPREV:
            return (at == siblings->end() || at == siblings->begin()) ? nullptr : *(at - 1);
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
    }
}

HWND WINAPI GetDlgItem(HWND dialog, int id)
{
    if (winsim::detail::FailableCall("GetDlgItem")) {
        SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
        return nullptr;
    }
    const Window* w = LookupWindow(dialog);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND child : w->children) {
        if (LookupWindow(child)->id == id) {
            return child;
        }
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND window)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(w->id);
}

// ---- window words ----

LONG WINAPI GetWindowLongA(HWND window, int index)
{
    // A window procedure does not fit in 32 bits on this host; only the pointer-sized form
    // carries it, as on 64-bit Windows.
    if (index == GWL_WNDPROC) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return static_cast<LONG>(GetWindowWord(window, index, sizeof(LONG)));
}

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value)
{
    if (winsim::detail::FailableCall("SetWindowLongA")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (index == GWL_WNDPROC) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return static_cast<LONG>(SetWindowWord(window, index, value, sizeof(LONG)));
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index)
{
    return GetWindowWord(window, index, sizeof(LONG_PTR));
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value)
{
    if (winsim::detail::FailableCall("SetWindowLongPtrA")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return SetWindowWord(window, index, value, sizeof(LONG_PTR));
}

// ---- procedures ----

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (proc == nullptr) {
        return 0;
    }
    return proc(window, message, wParam, lParam);
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* w = LookupWindow(window);
    if (w == nullptr) {
        return 0;
    }
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            if (create != nullptr) {
                w->text = NameText(create->lpszName);
            }
            return TRUE;
        }
        case WM_SETTEXT:
            w->text = lParam == 0 ? std::string() : std::string(reinterpret_cast<LPCSTR>(lParam));
            return TRUE;
        case WM_GETTEXT:
            return CopyText(w->text, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(w->text.size());
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                SendMessageA(window, WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_KEYF1:
            SendHelpForKey(window);
            return 0;
        case WM_HELP:
            // Help goes on to the parent of a child, or the owner of a pop-up.
            if (HWND parent = GetParent(window)) {
                SendMessageA(parent, WM_HELP, wParam, lParam);
            }
            return 0;
        case WM_CONTEXTMENU:
            if (IsChildStyle(w->style) && w->parent != nullptr) {
                SendMessageA(w->parent, WM_CONTEXTMENU, wParam, lParam);
            }
            return 0;
        case WM_RBUTTONUP: {
            POINT point{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
            ClientToScreen(window, &point);
            SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                         MAKELPARAM(point.x, point.y));
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                SetFocus(window);
            }
            return 0;
        case WM_NCACTIVATE:
            return TRUE;
        case WM_WINDOWPOSCHANGED: {
            const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
            if (position != nullptr) {
                SendSizeAndMove(window, position->flags);
            }
            return 0;
        }
        case WM_ERASEBKGND:
            return w->background != nullptr ? 1 : 0;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        default:
            return 0;
    }
}

// ---- text ----

int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount)
{
    const bool failing = winsim::detail::FailableCall("GetWindowTextA");
    if (text == nullptr || maxCount <= 0) {
        return 0;
    }
    text[0] = '\0';
    if (failing || LookupWindow(window) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const LRESULT copied =
        SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text));
    text[maxCount - 1] = '\0';
    return static_cast<int>(std::clamp<LRESULT>(copied, 0, maxCount - 1));
}

int WINAPI GetWindowTextLengthA(HWND window)
{
    if (LookupWindow(window) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text)
{
    if (LookupWindow(window) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
    if (winsim::detail::FailableCall("SetDlgItemTextA")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    HWND item = GetDlgItem(dialog, id);
    return item != nullptr ? SetWindowTextA(item, text) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount)
{
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) {
        if (text != nullptr && maxCount > 0) {
            text[0] = '\0';
        }
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(item, text, maxCount));
}

namespace winsim {

int LiveWindows()
{
    return static_cast<int>(State().table.size()) - (State().table.count(kDesktopHandle) != 0 ? 1 : 0);
}

void ReuseWindowHandles(bool reuse)
{
    State().reuseHandles = reuse;
    State().freedHandles.clear();
}

HWND FindWindowByCaption(std::string_view caption)
{
    for (HWND window : detail::AllWindowsInCreationOrder()) {
        if (LookupWindow(window)->text == caption) {
            return window;
        }
    }
    return nullptr;
}

std::vector<HWND> WindowsOfClass(std::string_view className)
{
    std::vector<HWND> found;
    for (HWND window : detail::AllWindowsInCreationOrder()) {
        if (EqualsIgnoreCase(LookupWindow(window)->className, className)) {
            found.push_back(window);
        }
    }
    return found;
}

HWND FindWindowByClass(std::string_view className)
{
    const std::vector<HWND> found = WindowsOfClass(className);
    return found.empty() ? nullptr : found.front();
}

std::string DescribeWindows()
{
    std::string text;
    for (HWND window : detail::AllWindows()) {
        text += "  " + detail::DescribeWindow(window) + "\n";
    }
    return text.empty() ? std::string("  (no windows)\n") : text;
}

namespace detail {

Window* LookupWindow(HWND window)
{
    if (window == nullptr) {
        return nullptr;
    }
    if (Key(window) == kDesktopHandle) {
        return &Desktop();
    }
    auto& table = State().table;
    auto found = table.find(Key(window));
    return found == table.end() ? nullptr : found->second.get();
}

HWND DesktopHandle()
{
    return Desktop().handle;
}

bool IsDesktop(HWND window)
{
    return Key(window) == kDesktopHandle;
}

std::vector<HWND>* SiblingList(HWND window)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr || IsDesktop(window)) {
        return nullptr;
    }
    if (w->parent != nullptr) {
        Window* parent = LookupWindow(w->parent);
        return parent != nullptr ? &parent->children : nullptr;
    }
    return &Desktop().children;
}

std::vector<HWND> TopLevelWindows()
{
    return Desktop().children;
}

namespace {
void CollectTree(HWND window, std::vector<HWND>& out)
{
    out.push_back(window);
    if (const Window* w = LookupWindow(window)) {
        for (HWND child : w->children) {
            CollectTree(child, out);
        }
    }
}
}  // namespace

std::vector<HWND> AllWindows()
{
    std::vector<HWND> all;
    for (HWND top : TopLevelWindows()) {
        CollectTree(top, all);
    }
    return all;
}

std::vector<HWND> AllWindowsInCreationOrder()
{
    std::vector<const Window*> windows;
    for (const auto& [key, window] : State().table) {
        if (key != kDesktopHandle) {
            windows.push_back(window.get());
        }
    }
    std::sort(windows.begin(), windows.end(),
              [](const Window* a, const Window* b) { return a->sequence < b->sequence; });
    std::vector<HWND> all;
    for (const Window* window : windows) {
        all.push_back(window->handle);
    }
    return all;
}

HWND RootWindow(HWND window)
{
    const Window* w = LookupWindow(window);
    HWND current = window;
    while (w != nullptr && w->parent != nullptr) {
        current = w->parent;
        w = LookupWindow(current);
    }
    return current;
}

bool IsAncestor(HWND ancestor, HWND window)
{
    return IsChild(ancestor, window) != FALSE;
}

void EnsureClassesRegistered()
{
    Windows& windows = State();
    if (windows.classesRegistered) {
        return;
    }
    windows.classesRegistered = true;
    RegisterDialogClass();
    RegisterControlClasses();
}

std::string DescribeWindow(HWND window)
{
    const Window* w = LookupWindow(window);
    if (w == nullptr) {
        return HandleText(window) + " (destroyed)";
    }
    std::string line = HandleText(window) + " class " + Quoted(w->className) + " caption " + Quoted(w->text);
    if (w->parent != nullptr) {
        line += " child of " + HandleText(w->parent) + " id " + std::to_string(w->id);
    } else if (w->owner != nullptr) {
        line += " owned by " + HandleText(w->owner);
    }
    line += (w->style & WS_VISIBLE) != 0 ? " visible" : " hidden";
    line += (w->style & WS_DISABLED) != 0 ? " disabled" : " enabled";
    if (GetActiveWindow() == window) {
        line += " active";
    }
    if (GetFocus() == window) {
        line += " focus";
    }
    return line;
}

}  // namespace detail
}  // namespace winsim
