// The component's calls to the functions that can fail, made as this file makes them (it is
// built as the component is, with WINSIM_COMPONENT_CALLS): each is numbered under its own name,
// what the function calls inside is not, and the call with the number asked for fails as
// Windows fails.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <winsim/control.h>

namespace {

constexpr DWORD kNoError = 0;
constexpr int kChildId = 7;

INT_PTR CALLBACK EndAtOnce(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        EndDialog(dialog, IDYES);
    }
    return FALSE;
}

LRESULT CALLBACK NoHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR WINAPI AnExport()
{
    return 1;
}

// The last error right after the call that gives `value`, before the clean-up calls.
DWORD& NotedError()
{
    static DWORD error = 0;
    return error;
}

template <typename Value>
Value Noted(Value value)
{
    NotedError() = GetLastError();
    return value;
}

// A call that answers whether it failed the documented way (its result, and what it leaves
// behind), and the last error that the failure sets.
struct FailableFunction {
    std::string_view name;
    std::function<bool()> failed;
    DWORD lastError;
};

class ComponentCalls : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string rlb = KV_RLB_PATH;
        winsim::MapDirectory("C:\\KV", rlb.substr(0, rlb.find_last_of('/')));
        library_ = LoadLibraryA(kLibraryPath);
        ASSERT_NE(library_, nullptr);
        resource_ = FindResourceA(library_, "CustomVerInfo", RT_RCDATA);
        data_ = LoadResource(library_, resource_);
        module_ = winsim::RegisterModule("C:\\KV\\CALLS.DLL", {{"AnExport", &AnExport}});
        ASSERT_EQ(LoadLibraryA("C:\\KV\\CALLS.DLL"), module_);
        window_ = CreateWindowExA(0, "Static", "caption", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, nullptr, nullptr);
        child_ = CreateWindowExA(0, "Static", "child", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kChildId)), nullptr, nullptr);
        ASSERT_NE(GetForegroundWindow(), nullptr);
        block_ = GlobalAlloc(GHND, 16);
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateBitmap(8, 8, 1, 1, nullptr);
        SelectObject(dc_, bitmap_);
        brush_ = CreateSolidBrush(RGB(1, 2, 3));
    }

    void TearDown() override { winsim::ClearFaults(); }

    std::vector<FailableFunction> Functions()
    {
        return {
            {"GlobalAlloc", [] { return Freed(Noted(GlobalAlloc(GHND, 8))) == nullptr; },
             ERROR_NOT_ENOUGH_MEMORY},
            {"GlobalLock",
             [this] {
                 const bool failed = Noted(GlobalLock(block_)) == nullptr;
                 GlobalUnlock(block_);
                 return failed;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"LoadLibraryA",
             [] {
                 const HMODULE loaded = Noted(LoadLibraryA(kLibraryPath));
                 FreeLibrary(loaded);
                 return loaded == nullptr;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"GetProcAddress", [this] { return Noted(GetProcAddress(module_, "AnExport")) == nullptr; },
             ERROR_PROC_NOT_FOUND},
            {"GetModuleFileNameA",
             [this] {
                 char path[MAX_PATH] = "untouched";
                 return Noted(GetModuleFileNameA(library_, path, sizeof path)) == 0 &&
                        std::strcmp(path, "untouched") == 0;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"FindResourceA",
             [this] { return Noted(FindResourceA(library_, "CustomVerInfo", RT_RCDATA)) == nullptr; },
             ERROR_NOT_ENOUGH_MEMORY},
            {"LoadResource", [this] { return Noted(LoadResource(library_, resource_)) == nullptr; },
             ERROR_NOT_ENOUGH_MEMORY},
            {"LockResource", [this] { return LockResource(data_) == nullptr; }, kNoError},
            {"SizeofResource", [this] { return Noted(SizeofResource(library_, resource_)) == 0; },
             ERROR_NOT_ENOUGH_MEMORY},
            {"LoadStringA",
             [this] {
                 char text[64] = "untouched";
                 return Noted(LoadStringA(library_, 10, text, sizeof text)) == 0 && text[0] == '\0';
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"SetWindowsHookExA",
             [] {
                 const HHOOK hook =
                     Noted(SetWindowsHookExA(WH_CALLWNDPROC, NoHook, nullptr, GetCurrentThreadId()));
                 UnhookWindowsHookEx(hook);
                 return hook == nullptr;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"CreateWindowExA",
             [] {
                 const int before = winsim::LiveWindows();
                 const HWND made = Noted(CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                                         nullptr, nullptr, nullptr));
                 const bool failed = made == nullptr && winsim::LiveWindows() == before;
                 DestroyWindow(made);
                 return failed;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"SetWindowLongA",
             [this] {
                 return Noted(SetWindowLongA(child_, GWL_ID, kChildId)) == 0 &&
                        GetDlgCtrlID(child_) == kChildId;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"SetWindowLongPtrA",
             [this] {
                 const LONG_PTR proc = GetWindowLongPtrA(child_, GWLP_WNDPROC);
                 return Noted(SetWindowLongPtrA(child_, GWLP_WNDPROC, proc)) == 0;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"GetDC", [] { return Released(GetDC(nullptr)) == nullptr; }, kNoError},
            {"BeginPaint",
             [this] {
                 InvalidateRect(window_, nullptr, FALSE);
                 PAINTSTRUCT paint;
                 std::memset(&paint, 0xA5, sizeof paint);
                 const HDC dc = BeginPaint(window_, &paint);
                 const bool stillInvalid = GetUpdateRect(window_, nullptr, FALSE) != FALSE;
                 if (dc != nullptr) {
                     EndPaint(window_, &paint);
                 }
                 return dc == nullptr && paint.hdc == nullptr && stillInvalid;
             },
             kNoError},
            {"LoadBitmapA",
             [this] {
                 const HBITMAP loaded = Noted(LoadBitmapA(library_, MAKEINTRESOURCEA(100)));
                 DeleteObject(loaded);
                 return loaded == nullptr;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"SetTimer",
             [this] {
                 const UINT_PTR timer = Noted(SetTimer(window_, 5, 100, nullptr));
                 KillTimer(window_, 5);
                 return timer == 0;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"DialogBoxParamA",
             [this] {
                 return Noted(DialogBoxParamA(library_, MAKEINTRESOURCEA(103), window_, EndAtOnce, 0)) == -1;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"MessageBoxA",
             [this] {
                 winsim::ScriptAnswerMessageBox(IDOK);
                 const int answer = Noted(MessageBoxA(window_, "text", "caption", MB_OK));
                 winsim::ClearScript();
                 return answer == 0;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"GetWindowTextA",
             [this] {
                 char text[32] = "untouched";
                 return Noted(GetWindowTextA(window_, text, sizeof text)) == 0 && text[0] == '\0';
             },
             ERROR_INVALID_WINDOW_HANDLE},
            {"GetClassNameA",
             [this] {
                 char name[32] = "untouched";
                 return Noted(GetClassNameA(window_, name, sizeof name)) == 0 &&
                        std::strcmp(name, "untouched") == 0;
             },
             ERROR_INVALID_WINDOW_HANDLE},
            {"GetDlgItem", [this] { return Noted(GetDlgItem(window_, kChildId)) == nullptr; },
             ERROR_CONTROL_ID_NOT_FOUND},
            {"SetDlgItemTextA",
             [this] {
                 const std::string before = TextOf(child_);
                 const BOOL done =
                     Noted(SetDlgItemTextA(window_, kChildId, before == "child" ? "other" : "child"));
                 return done == FALSE && TextOf(child_) == before;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"SetWindowPos",
             [this] {
                 return Noted(SetWindowPos(child_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER)) == FALSE;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"PostMessageA",
             [this] {
                 const BOOL posted = Noted(PostMessageA(window_, WM_USER, 0, 0));
                 MSG message{};
                 const BOOL queued = PeekMessageA(&message, window_, WM_USER, WM_USER, PM_REMOVE);
                 return posted == FALSE && queued == FALSE;
             },
             ERROR_NOT_ENOUGH_QUOTA},
            {"WinHelpA",
             [this] {
                 const std::size_t before = winsim::WinHelpCalls().size();
                 return Noted(WinHelpA(window_, "C:\\KV\\HELP.HLP", HELP_WM_HELP, 0)) == FALSE &&
                        winsim::WinHelpCalls().size() == before;
             },
             ERROR_NOT_ENOUGH_MEMORY},
            {"GetForegroundWindow", [] { return GetForegroundWindow() == nullptr; }, kNoError},
            {"GetCursorPos",
             [] {
                 POINT point{-7, -7};
                 return Noted(GetCursorPos(&point)) == FALSE && point.x == -7 && point.y == -7;
             },
             ERROR_ACCESS_DENIED},
            {"SetCursorPos",
             [] {
                 const POINT before = winsim::CursorPosition();
                 const bool failed = Noted(SetCursorPos(before.x + 1, before.y)) == FALSE;
                 return failed && winsim::CursorPosition().x == before.x;
             },
             ERROR_ACCESS_DENIED},
            {"GetSystemMetrics", [] { return GetSystemMetrics(SM_CXSCREEN) == 0; }, kNoError},
            {"CreateCompatibleDC", [] { return Deleted(CreateCompatibleDC(nullptr)) == nullptr; }, kNoError},
            {"CreateCompatibleBitmap",
             [this] { return Deleted(Noted(CreateCompatibleBitmap(dc_, 4, 4))) == nullptr; },
             ERROR_NOT_ENOUGH_MEMORY},
            {"CreateBitmap", [] { return Deleted(Noted(CreateBitmap(4, 4, 1, 1, nullptr))) == nullptr; },
             ERROR_NOT_ENOUGH_MEMORY},
            {"CreateSolidBrush", [] { return Deleted(CreateSolidBrush(0)) == nullptr; }, kNoError},
            {"CreateFontIndirectA",
             [] {
                 const LOGFONTA font{};
                 return Deleted(CreateFontIndirectA(&font)) == nullptr;
             },
             kNoError},
            {"SelectObject",
             [this] {
                 const HGDIOBJ previous = SelectObject(dc_, brush_);
                 const bool failed = previous == nullptr && (SelectObject)(dc_, brush_) != brush_;
                 (SelectObject)(dc_, GetStockObject(WHITE_BRUSH));
                 return failed;
             },
             kNoError},
            {"GetObjectA",
             [this] {
                 BITMAP info{};
                 return GetObjectA(bitmap_, sizeof info, &info) == 0;
             },
             kNoError},
            {"BitBlt", [this] { return BitBlt(dc_, 0, 0, 1, 1, dc_, 1, 1, SRCCOPY) == FALSE; }, kNoError},
            {"StretchBlt", [this] { return StretchBlt(dc_, 0, 0, 2, 2, dc_, 0, 0, 1, 1, SRCCOPY) == FALSE; },
             kNoError},
            {"FillRect",
             [this] {
                 const RECT rect{0, 0, 2, 2};
                 return FillRect(dc_, &rect, brush_) == 0;
             },
             kNoError},
            {"SetBkColor",
             [this] {
                 const COLORREF before = GetBkColor(dc_);
                 return SetBkColor(dc_, before ^ 0xFF) == CLR_INVALID && GetBkColor(dc_) == before;
             },
             kNoError},
            {"SetMapMode", [this] { return SetMapMode(dc_, MM_TEXT) == 0; }, kNoError},
            {"GetMapMode", [this] { return GetMapMode(dc_) == 0; }, kNoError},
            {"DPtoLP",
             [this] {
                 POINT point{3, 4};
                 return DPtoLP(dc_, &point, 1) == FALSE && point.x == 3 && point.y == 4;
             },
             kNoError},
        };
    }

    // The text as anything but the component reads it.
    static std::string TextOf(HWND window)
    {
        char text[32] = {};
        (GetWindowTextA)(window, text, sizeof text);
        return text;
    }

    static HGLOBAL Freed(HGLOBAL block)
    {
        GlobalFree(block);
        return block;
    }

    static HDC Released(HDC dc)
    {
        ReleaseDC(nullptr, dc);
        return dc;
    }

    template <typename Handle>
    static Handle Deleted(Handle handle)
    {
        if constexpr (std::is_same_v<Handle, HDC>) {
            DeleteDC(handle);
        } else {
            DeleteObject(handle);
        }
        return handle;
    }

    static constexpr const char* kLibraryPath = "C:\\KV\\KVSettng.RLB";
    HMODULE library_ = nullptr;
    HRSRC resource_ = nullptr;
    HGLOBAL data_ = nullptr;
    HMODULE module_ = nullptr;
    HWND window_ = nullptr;
    HWND child_ = nullptr;
    HGLOBAL block_ = nullptr;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HBRUSH brush_ = nullptr;
};

}  // namespace

TEST_F(ComponentCalls, EachIsNumberedUnderItsNameAndTheNumberedOneFailsAsWindowsFails)
{
    for (const FailableFunction& function : Functions()) {
        SCOPED_TRACE(std::string(function.name));
        const int before = winsim::FailableCallsSoFar();
        EXPECT_FALSE(function.failed());
        ASSERT_EQ(winsim::FailableCallsSoFar(), before + 1);
        EXPECT_EQ(winsim::FailableCallName(before + 1), function.name);

        winsim::FailCallNumber(before + 2);
        SetLastError(kNoError);
        EXPECT_TRUE(function.failed());
        if (function.lastError != kNoError) {
            EXPECT_EQ(NotedError(), function.lastError);
        }
        EXPECT_EQ(winsim::FailableCallsSoFar(), before + 2);
        EXPECT_FALSE(function.failed()) << "only the numbered call fails";
    }
}

TEST_F(ComponentCalls, CallsFromElsewhereAreNotNumbered)
{
    const int before = winsim::FailableCallsSoFar();
    winsim::FailCallNumber(before + 1);
    // The name in parentheses is not the wrapper: a call as anything but the component makes it.
    const HGLOBAL block = (GlobalAlloc)(GHND, 8);
    EXPECT_NE(block, nullptr);
    EXPECT_EQ(winsim::FailableCallsSoFar(), before);
    GlobalFree(block);
    EXPECT_EQ(GlobalAlloc(GHND, 8), nullptr);
}
