// winsim's control surface: what tests and tools use to set up the simulated machine and
// to observe what the component did. The component itself never includes this header.
#pragma once

#include <winsim/control_gdi.h>
#include <winsim/control_user.h>
#include <winsim/win32.h>

#include <string>
#include <string_view>
#include <vector>

namespace winsim {

// ---- modules ----
// The entry point of a registered module, called as the loader calls DllMain.
using ModuleEntry = BOOL (*)(HINSTANCE instance, DWORD reason, LPVOID reserved);

struct Export {
    std::string name;
    FARPROC proc;
};

// Makes a module image available under a Windows-style full path (for example
// "C:\\WINDOWS\\SYSTEM\\KVAPI32.DLL"). LoadLibraryA loads it; its handle is fixed at
// registration and GetModuleFileNameA answers the path once it is loaded.
HMODULE RegisterModule(std::string_view path, std::vector<Export> exports, ModuleEntry entry = nullptr);
// The process's own image (what GetModuleFileNameA(NULL, ...) answers); loaded from the start.
HMODULE SetProcessImage(std::string_view path);
// Whether the module is loaded now, and how many loads it holds.
bool IsModuleLoaded(HMODULE module);
int ModuleLoadCount(HMODULE module);
// The error mode in force when LoadLibraryA was last called: whether the system would have
// shown its own box for a file it could not open.
UINT ErrorModeAtLastLoad();
// Runs DLL_PROCESS_DETACH for every loaded module, as at the end of the process.
void EndProcess();

// ---- the version the system reports ----
struct Version {
    DWORD platformId = VER_PLATFORM_WIN32_WINDOWS;
    DWORD major = 4;
    DWORD minor = 10;
    DWORD build = 1998;
    std::string csdVersion = " ";  // what Windows 98 reports in szCSDVersion
};
void SetVersion(const Version& version);

// ---- the display ----
// The desktop (what GetDeviceCaps reports for the screen DC) and the visible screen
// (SM_CXSCREEN, SM_CYSCREEN), which is smaller than the desktop while the adapter pans.
struct DisplayMode {
    int width = 1024;
    int height = 768;
    int bitsPerPixel = 16;
    int refresh = 75;
};
void SetDisplayMode(const DisplayMode& mode);  // the screen becomes the whole desktop
DisplayMode GetDisplayMode();
void SetScreenSize(int width, int height);

// ---- input ----
void SetButtonDown(int virtualKey, bool down);  // VK_LBUTTON, VK_MBUTTON, VK_RBUTTON
POINT CursorPosition();
int SetCursorPosCalls();

// ---- fault injection ----
enum class Fault {
    GlobalAlloc,
    GlobalLock,
    ScreenDc,
    LoadLibrary,
    LoadResource,
    CreateFont,
    CreateDc,
    CreateBitmap,
    CreateBrush,
    SetTimer,
    MessageBox,
    DialogBox,
};
// The next `times` calls of the operation fail; a negative count fails every call until cleared.
// GlobalAlloc and GlobalLock then answer null with ERROR_NOT_ENOUGH_MEMORY, GetDC(NULL) null,
// LoadLibraryA null with ERROR_NOT_ENOUGH_MEMORY (before it looks for the module),
// LoadResource null with ERROR_NOT_ENOUGH_MEMORY (also inside LoadStringA and the services
// that read templates and pictures),
// CreateFontIndirectA null, CreateCompatibleDC and GetDC(window) null, CreateBitmap, CreateCompatibleBitmap
// and the bitmap that LoadBitmapA makes null, CreateSolidBrush null; SetTimer 0 (Windows 9x has few timers to
// give), MessageBoxA 0 without showing the box (it is still recorded), DialogBoxParamA -1 without creating
// the dialog; all three with ERROR_NOT_ENOUGH_MEMORY.
void FailNext(Fault fault, int times = 1);
// Clears the failures asked for by FailNext and FailCallNumber.
void ClearFaults();

// ---- the component's failable calls ----
// Every call that the component's own code makes to a platform function that can fail gets a
// number, from 1, in the order made (component_calls.h); what winsim's services call inside,
// and what the rest of the process calls, is not numbered.
int FailableCallsSoFar();
// The function that the failable call with this number called; empty while it is not made.
std::string_view FailableCallName(int number);
// The failable call with this number fails (0: none), as the function fails on Windows and
// with nothing else done:
//   null with ERROR_NOT_ENOUGH_MEMORY: GlobalAlloc, GlobalLock, LoadLibraryA, FindResourceA,
//     LoadResource, LoadBitmapA, CreateWindowExA, SetWindowsHookExA, CreateBitmap,
//     CreateCompatibleBitmap;
//   null: LockResource, GetDC, CreateCompatibleDC, CreateSolidBrush, CreateFontIndirectA,
//     SelectObject (nothing is selected), GetForegroundWindow; GetProcAddress null with
//     ERROR_PROC_NOT_FOUND; GetDlgItem null with ERROR_CONTROL_ID_NOT_FOUND;
//   BeginPaint null with the PAINTSTRUCT cleared, the window still waiting to be painted;
//   0 with ERROR_NOT_ENOUGH_MEMORY: GetModuleFileNameA (the buffer untouched), SizeofResource,
//     LoadStringA (an empty string in the buffer), SetWindowLongA and SetWindowLongPtrA (the
//     value stays), SetTimer, MessageBoxA (no box, though it is recorded);
//   0: GetSystemMetrics, GetMapMode, GetObjectA and FillRect; GetWindowTextA (an empty string
//     in the buffer) and GetClassNameA (the buffer untouched) with ERROR_INVALID_WINDOW_HANDLE;
//   FALSE with ERROR_NOT_ENOUGH_MEMORY: SetDlgItemTextA, SetWindowPos, WinHelpA (no help,
//     nothing recorded); PostMessageA with ERROR_NOT_ENOUGH_QUOTA (nothing posted, not even to
//     a broadcast's windows); GetCursorPos and SetCursorPos with ERROR_ACCESS_DENIED (the
//     point untouched, the cursor where it was);
//   FALSE: BitBlt, StretchBlt, DPtoLP (nothing drawn or converted);
//   SetBkColor CLR_INVALID, SetMapMode 0 (the DC unchanged); DialogBoxParamA -1 with
//   ERROR_NOT_ENOUGH_MEMORY and no dialog.
void FailCallNumber(int number);

// ---- what the component did ----
struct PostedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
// Every message posted to HWND_BROADCAST, in order.
const std::vector<PostedMessage>& Broadcasts();
void ClearBroadcasts();

// Counts of calls that tests assert on.
int SetErrorModeCalls();
UINT CurrentErrorMode();
int LiveGlobalBlocks();
int LiveScreenDcs();

// ---- graphics objects ----
enum class GdiKind {
    Font,
    Brush,
    Bitmap,
    DeviceContext,  // every kind of DC: screen, window, paint and memory
};
// Objects of the kind that were created and are not deleted yet (one deleted while still
// selected into a DC counts until the DC lets go of it). Stock objects are not counted.
int LiveGdiObjects(GdiKind kind);

// ---- what a user does with the controls ----
// Each answers false, and does nothing, when the window is not such a control or is
// disabled, since the user's input would not reach it.
//
// Drags the trackbar's thumb to `position`, which is held inside the range as the mouse is;
// with `release` the button goes up there, otherwise the drag stays open for the next call.
// The parent receives what Windows sends for a mouse drag: WM_HSCROLL (WM_VSCROLL for
// TBS_VERT) with TB_THUMBTRACK for every change of position, and on release TB_THUMBPOSITION
// and TB_ENDTRACK; lParam is the trackbar.
bool DragTrackbar(HWND trackbar, int position, bool release = true);
// Presses and releases a key on the trackbar (VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_PRIOR,
// VK_NEXT, VK_HOME, VK_END), giving it the focus first as the user would.
bool PressTrackbarKey(HWND trackbar, int virtualKey);
// The user picks item `index` of the combo box; the parent receives CBN_SELCHANGE when the
// selection changes. False also for an index outside the list.
bool SelectComboItem(HWND combo, int index);

// ---- files ----
// Maps a Windows directory (for example "C:\\WINDOWS\\SYSTEM") to a host directory, for the
// modules and files that are read from disk.
void MapDirectory(std::string_view windowsDirectory, std::string_view hostDirectory);
// The host path of a Windows path under a mapped directory, or empty when none maps it.
std::string HostPath(std::string_view windowsPath);

}  // namespace winsim
