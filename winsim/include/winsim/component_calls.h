// How the component's own calls reach winsim: every platform function that can fail goes
// through a wrapper that tells winsim the component made the call, so that the call gets its
// number (control.h, FailableCallsSoFar) and can be the one made to fail (FailCallNumber).
// Calls that winsim's services make inside, and calls from anything else in the process,
// are not numbered. win32.h includes this last, in the sources that define
// WINSIM_COMPONENT_CALLS: the component's own.
#pragma once

namespace winsim::detail {

// The next failable function entered was called by the component.
void MarkComponentCall();

template <typename Result, typename... Parameters>
class ComponentCall {
public:
    explicit ComponentCall(Result (*function)(Parameters...)) : function_(function) {}

    Result operator()(Parameters... arguments) const
    {
        MarkComponentCall();
        return function_(arguments...);
    }

private:
    Result (*function_)(Parameters...);
};

}  // namespace winsim::detail

#ifdef WINSIM_COMPONENT_CALLS
// The arguments are evaluated before the mark is set, so that a failable call among them is
// numbered first, as it is made first. The parentheses keep a call that starts a statement
// from reading as the declaration of a variable named after the function.
#define WINSIM_COMPONENT_CALL(function) (::winsim::detail::ComponentCall(&::function))

// kernel
#define FindResourceA(...) WINSIM_COMPONENT_CALL(FindResourceA)(__VA_ARGS__)
#define GetModuleFileNameA(...) WINSIM_COMPONENT_CALL(GetModuleFileNameA)(__VA_ARGS__)
#define GetProcAddress(...) WINSIM_COMPONENT_CALL(GetProcAddress)(__VA_ARGS__)
#define GlobalAlloc(...) WINSIM_COMPONENT_CALL(GlobalAlloc)(__VA_ARGS__)
#define GlobalLock(...) WINSIM_COMPONENT_CALL(GlobalLock)(__VA_ARGS__)
#define LoadLibraryA(...) WINSIM_COMPONENT_CALL(LoadLibraryA)(__VA_ARGS__)
#define LoadResource(...) WINSIM_COMPONENT_CALL(LoadResource)(__VA_ARGS__)
#define LoadStringA(...) WINSIM_COMPONENT_CALL(LoadStringA)(__VA_ARGS__)
#define LockResource(...) WINSIM_COMPONENT_CALL(LockResource)(__VA_ARGS__)
#define SizeofResource(...) WINSIM_COMPONENT_CALL(SizeofResource)(__VA_ARGS__)

// user
#define BeginPaint(...) WINSIM_COMPONENT_CALL(BeginPaint)(__VA_ARGS__)
#define CreateWindowExA(...) WINSIM_COMPONENT_CALL(CreateWindowExA)(__VA_ARGS__)
#define DialogBoxParamA(...) WINSIM_COMPONENT_CALL(DialogBoxParamA)(__VA_ARGS__)
#define GetClassNameA(...) WINSIM_COMPONENT_CALL(GetClassNameA)(__VA_ARGS__)
#define GetCursorPos(...) WINSIM_COMPONENT_CALL(GetCursorPos)(__VA_ARGS__)
#define GetDC(...) WINSIM_COMPONENT_CALL(GetDC)(__VA_ARGS__)
#define GetDlgItem(...) WINSIM_COMPONENT_CALL(GetDlgItem)(__VA_ARGS__)
#define GetForegroundWindow(...) WINSIM_COMPONENT_CALL(GetForegroundWindow)(__VA_ARGS__)
#define GetSystemMetrics(...) WINSIM_COMPONENT_CALL(GetSystemMetrics)(__VA_ARGS__)
#define GetWindowTextA(...) WINSIM_COMPONENT_CALL(GetWindowTextA)(__VA_ARGS__)
#define LoadBitmapA(...) WINSIM_COMPONENT_CALL(LoadBitmapA)(__VA_ARGS__)
#define MessageBoxA(...) WINSIM_COMPONENT_CALL(MessageBoxA)(__VA_ARGS__)
#define PostMessageA(...) WINSIM_COMPONENT_CALL(PostMessageA)(__VA_ARGS__)
#define SetCursorPos(...) WINSIM_COMPONENT_CALL(SetCursorPos)(__VA_ARGS__)
#define SetDlgItemTextA(...) WINSIM_COMPONENT_CALL(SetDlgItemTextA)(__VA_ARGS__)
#define SetTimer(...) WINSIM_COMPONENT_CALL(SetTimer)(__VA_ARGS__)
#define SetWindowLongA(...) WINSIM_COMPONENT_CALL(SetWindowLongA)(__VA_ARGS__)
#define SetWindowLongPtrA(...) WINSIM_COMPONENT_CALL(SetWindowLongPtrA)(__VA_ARGS__)
#define SetWindowPos(...) WINSIM_COMPONENT_CALL(SetWindowPos)(__VA_ARGS__)
#define SetWindowsHookExA(...) WINSIM_COMPONENT_CALL(SetWindowsHookExA)(__VA_ARGS__)
#define WinHelpA(...) WINSIM_COMPONENT_CALL(WinHelpA)(__VA_ARGS__)

// gdi
#define BitBlt(...) WINSIM_COMPONENT_CALL(BitBlt)(__VA_ARGS__)
#define CreateBitmap(...) WINSIM_COMPONENT_CALL(CreateBitmap)(__VA_ARGS__)
#define CreateCompatibleBitmap(...) WINSIM_COMPONENT_CALL(CreateCompatibleBitmap)(__VA_ARGS__)
#define CreateCompatibleDC(...) WINSIM_COMPONENT_CALL(CreateCompatibleDC)(__VA_ARGS__)
#define CreateFontIndirectA(...) WINSIM_COMPONENT_CALL(CreateFontIndirectA)(__VA_ARGS__)
#define CreateSolidBrush(...) WINSIM_COMPONENT_CALL(CreateSolidBrush)(__VA_ARGS__)
#define DPtoLP(...) WINSIM_COMPONENT_CALL(DPtoLP)(__VA_ARGS__)
#define FillRect(...) WINSIM_COMPONENT_CALL(FillRect)(__VA_ARGS__)
#define GetMapMode(...) WINSIM_COMPONENT_CALL(GetMapMode)(__VA_ARGS__)
#define GetObjectA(...) WINSIM_COMPONENT_CALL(GetObjectA)(__VA_ARGS__)
#define SelectObject(...) WINSIM_COMPONENT_CALL(SelectObject)(__VA_ARGS__)
#define SetBkColor(...) WINSIM_COMPONENT_CALL(SetBkColor)(__VA_ARGS__)
#define SetMapMode(...) WINSIM_COMPONENT_CALL(SetMapMode)(__VA_ARGS__)
#define StretchBlt(...) WINSIM_COMPONENT_CALL(StretchBlt)(__VA_ARGS__)
#endif
