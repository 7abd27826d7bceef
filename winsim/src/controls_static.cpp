// The "Static" class: a text, a font and the SS_ styles. Painting validates the window; the
// text is drawn once device contexts carry pixels.
#include <winsim/win32.h>

#include "controls.h"

namespace winsim::detail {
namespace {

struct StaticRecord {
    HFONT font = nullptr;
};

ControlRecords<StaticRecord>& Records()
{
    static auto* records = new ControlRecords<StaticRecord>;
    return *records;
}

bool ShowsText(HWND window)
{
    switch (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) {
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT:
        case SS_SIMPLE:
        case SS_LEFTNOWORDWRAP:
        case SS_OWNERDRAW:
            return true;
        default:
            return false;
    }
}

LRESULT OnNcCreate(HWND window, WPARAM wParam, LPARAM lParam)
{
    Records().Add(window);
    // A sunken static carries the static edge in its extended style.
    if ((GetWindowLongA(window, GWL_STYLE) & SS_SUNKEN) != 0) {
        SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_STATICEDGE);
    }
    return DefWindowProcA(window, WM_NCCREATE, wParam, lParam);
}

LRESULT OnSetFont(HWND window, StaticRecord& record, HFONT font, bool redraw)
{
    // Only a static that shows text keeps a font; the others answer WM_GETFONT with null.
    if (!ShowsText(window)) {
        return 0;
    }
    record.font = font;
    if (redraw) {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
    return 0;
}

LRESULT OnSetText(HWND window, LPARAM text)
{
    const LRESULT result = DefWindowProcA(window, WM_SETTEXT, 0, text);
    InvalidateRect(window, nullptr, TRUE);
    return result;
}

LRESULT OnPaint(HWND window)
{
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        return OnNcCreate(window, wParam, lParam);
    }
    StaticRecord* record = Records().Find(window);
    if (record == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_NCDESTROY:
            Records().Remove(window);
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_SETFONT:
            return OnSetFont(window, *record, reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(record->font);
        case WM_SETTEXT:
            return OnSetText(window, lParam);
        case WM_ENABLE:
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case WM_PAINT:
            return OnPaint(window);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

void RegisterStaticClass()
{
    RegisterSystemClass("Static", StaticProc, nullptr);
}

}  // namespace winsim::detail
