// The system's control classes: "Static", "Button", "ComboBox" and "msctls_trackbar32".
// Each keeps a record per window, made at WM_NCCREATE and dropped at WM_NCDESTROY.
#pragma once

#include <winsim/win32.h>

#include <map>

namespace winsim::detail {

void RegisterStaticClass();
void RegisterButtonClass();
void RegisterComboBoxClass();
void RegisterTrackbarClass();

// Registers the four classes as system classes (no instance); the class registry calls it
// once, before the first class lookup.
inline void RegisterControlClasses()
{
    RegisterStaticClass();
    RegisterButtonClass();
    RegisterComboBoxClass();
    RegisterTrackbarClass();
}

// The records of one control class, by window.
template <typename Record>
class ControlRecords {
public:
    Record& Add(HWND window) { return records_[window] = Record{}; }
    Record* Find(HWND window)
    {
        auto found = records_.find(window);
        return found == records_.end() ? nullptr : &found->second;
    }
    void Remove(HWND window) { records_.erase(window); }

private:
    std::map<HWND, Record> records_;
};

// A system class is registered without an instance, so that every module finds it.
inline ATOM RegisterSystemClass(const char* name, WNDPROC procedure, HBRUSH background)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass);
}

// WM_COMMAND with the control's ID and the notification code, sent to the control's parent.
inline void NotifyParent(HWND control, WORD code)
{
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

}  // namespace winsim::detail

namespace winsim {
// The name the class registry calls.
using detail::RegisterControlClasses;
}  // namespace winsim
