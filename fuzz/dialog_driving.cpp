#include "dialog_driving.h"

#include <winsim/control.h>

#include "scratch_directory.h"
#include "user_dialog_template.h"
#include "user_windows.h"

namespace fuzz {
namespace {

INT_PTR CALLBACK AcceptingProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

void CreateAndDestroyDialog(HINSTANCE instance, const void* bytes, std::size_t size)
{
    const int windows = winsim::LiveWindows();
    const int fonts = winsim::LiveGdiObjects(winsim::GdiKind::Font);
    const auto parsed = winsim::detail::ParseDialogTemplate(bytes, size);
    const HWND dialog =
        winsim::detail::CreateDialogFromTemplate(instance, bytes, size, nullptr, AcceptingProc, 0, false);
    Expect(parsed || dialog == nullptr, "a refused template makes no dialog");
    if (dialog != nullptr) {
        DestroyWindow(dialog);
    }
    winsim::PumpMessages();
    Expect(winsim::LiveWindows() == windows, "a destroyed dialog leaves no window behind");
    // The dialog procedure deletes the template's font; a window of another class, which
    // does not pass its messages to it, keeps the font alive, as on Windows.
    Expect(!parsed || !parsed->className.empty() || winsim::LiveGdiObjects(winsim::GdiKind::Font) == fonts,
           "a destroyed dialog leaves no font behind");
}

}  // namespace fuzz
