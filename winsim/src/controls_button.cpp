// The "Button" class: push buttons (default or not), group boxes, check boxes and radio
// buttons, with the click, check and push states, the font, and what each type asks of the
// dialog manager. Painting validates the window; drawing comes with device contexts.
#include <winsim/win32.h>

#include <array>

#include "controls.h"

namespace winsim::detail {
namespace {

struct ButtonRecord {
    UINT state = BST_UNCHECKED;  // check state, BST_PUSHED and BST_FOCUS
    bool pressed = false;        // a mouse button or the space bar went down on it
    HFONT font = nullptr;
};

constexpr UINT kCheckBits = BST_CHECKED | BST_INDETERMINATE;

ControlRecords<ButtonRecord>& Records()
{
    static auto* records = new ControlRecords<ButtonRecord>;
    return *records;
}

LONG Style(HWND window)
{
    return GetWindowLongA(window, GWL_STYLE);
}

UINT TypeOf(HWND window)
{
    return static_cast<UINT>(Style(window) & BS_TYPEMASK);
}

// The highest check state each type takes; BM_SETCHECK holds larger values to it.
UINT MaxCheckState(UINT type)
{
    static constexpr std::array<UINT, 16> kMax = {
        BST_UNCHECKED,      // BS_PUSHBUTTON
        BST_UNCHECKED,      // BS_DEFPUSHBUTTON
        BST_CHECKED,        // BS_CHECKBOX
        BST_CHECKED,        // BS_AUTOCHECKBOX
        BST_CHECKED,        // BS_RADIOBUTTON
        BST_INDETERMINATE,  // BS_3STATE
        BST_INDETERMINATE,  // BS_AUTO3STATE
        BST_UNCHECKED,      // BS_GROUPBOX
        BST_UNCHECKED,      // BS_USERBUTTON
        BST_CHECKED,        // BS_AUTORADIOBUTTON
    };
    return kMax[type & BS_TYPEMASK];
}

bool IsRadio(UINT type)
{
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

LRESULT DialogCode(HWND window)
{
    switch (TypeOf(window)) {
        case BS_PUSHBUTTON:
        case BS_USERBUTTON:
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_DEFPUSHBUTTON:
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX:
            return DLGC_STATIC;
        default:
            return DLGC_BUTTON;
    }
}

void Invalidate(HWND window, BOOL erase)
{
    InvalidateRect(window, nullptr, erase);
}

LRESULT OnSetCheck(HWND window, ButtonRecord& record, WPARAM check)
{
    const UINT type = TypeOf(window);
    const UINT newCheck = check > MaxCheckState(type) ? MaxCheckState(type) : static_cast<UINT>(check);
    // A checked radio button is a tab stop, an unchecked one is not.
    if (IsRadio(type)) {
        const LONG style = Style(window);
        SetWindowLongA(window, GWL_STYLE, newCheck != 0 ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
    if ((record.state & kCheckBits) != newCheck) {
        record.state = (record.state & ~kCheckBits) | newCheck;
        Invalidate(window, FALSE);
    }
    return 0;
}

LRESULT OnSetState(HWND window, ButtonRecord& record, bool pushed)
{
    const UINT newState = pushed ? (record.state | BST_PUSHED) : (record.state & ~BST_PUSHED);
    if (newState != record.state) {
        record.state = newState;
        Invalidate(window, FALSE);
    }
    return 0;
}

LRESULT OnSetStyle(HWND window, WPARAM style, bool redraw)
{
    const LONG type = static_cast<LONG>(style & BS_TYPEMASK);
    SetWindowLongA(window, GWL_STYLE, (Style(window) & ~BS_TYPEMASK) | type);
    if (redraw) {
        Invalidate(window, TRUE);
    }
    return 0;
}

void Press(HWND window, ButtonRecord& record)
{
    record.pressed = true;
    SendMessageA(window, BM_SETSTATE, TRUE, 0);
}

void ToggleAutomaticCheck(HWND window, const ButtonRecord& record)
{
    switch (TypeOf(window)) {
        case BS_AUTOCHECKBOX:
            SendMessageA(window, BM_SETCHECK, (record.state & BST_CHECKED) == 0 ? BST_CHECKED : BST_UNCHECKED,
                         0);
            break;
        case BS_AUTORADIOBUTTON:
            SendMessageA(window, BM_SETCHECK, BST_CHECKED, 0);
            break;
        case BS_AUTO3STATE:
            SendMessageA(window, BM_SETCHECK,
                         (record.state & BST_INDETERMINATE) != 0 ? 0 : (record.state & kCheckBits) + 1, 0);
            break;
        default:
            break;
    }
}

// The mouse button or the space bar goes up: a click when it went down on the button and,
// for the mouse, comes up inside it.
LRESULT OnRelease(HWND window, bool byKey, LPARAM point)
{
    ButtonRecord* record = Records().Find(window);
    if (!record->pressed) {
        return 0;
    }
    record->pressed = false;
    if ((record->state & BST_PUSHED) == 0) {
        return 0;
    }
    SendMessageA(window, BM_SETSTATE, FALSE, 0);
    RECT client{};
    GetClientRect(window, &client);
    const POINT at{static_cast<SHORT>(LOWORD(point)), static_cast<SHORT>(HIWORD(point))};
    if (!byKey && !PtInRect(&client, at)) {
        return 0;
    }
    // The state change's handlers may have destroyed the button.
    record = Records().Find(window);
    if (record == nullptr) {
        return 0;
    }
    ToggleAutomaticCheck(window, *record);
    NotifyParent(window, BN_CLICKED);
    return 0;
}

LRESULT OnSetFocus(HWND window, ButtonRecord& record)
{
    record.state |= BST_FOCUS;
    Invalidate(window, FALSE);
    return 0;
}

LRESULT OnKillFocus(HWND window, ButtonRecord& record)
{
    record.state &= ~BST_FOCUS;
    record.pressed = false;
    Invalidate(window, FALSE);
    return 0;
}

LRESULT OnSetFont(HWND window, ButtonRecord& record, HFONT font, bool redraw)
{
    record.font = font;
    if (redraw) {
        Invalidate(window, TRUE);
    }
    return 0;
}

LRESULT OnSetText(HWND window, LPARAM text)
{
    DefWindowProcA(window, WM_SETTEXT, 0, text);
    Invalidate(window, TRUE);
    return TRUE;
}

LRESULT OnPaint(HWND window)
{
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

LRESULT OnClick(HWND window)
{
    SendMessageA(window, WM_LBUTTONDOWN, 0, 0);
    SendMessageA(window, WM_LBUTTONUP, 0, 0);
    return 0;
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        Records().Add(window);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    ButtonRecord* record = Records().Find(window);
    if (record == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_NCDESTROY:
            Records().Remove(window);
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_GETDLGCODE:
            return DialogCode(window);
        case WM_ENABLE:
            Invalidate(window, FALSE);
            return 0;
        case WM_PAINT:
            return OnPaint(window);
        case WM_LBUTTONDOWN:
            SetFocus(window);
            // Focus handlers may have destroyed the button.
            if (ButtonRecord* pressed = Records().Find(window)) {
                Press(window, *pressed);
            }
            return 0;
        case WM_LBUTTONUP:
            return OnRelease(window, false, lParam);
        case WM_KEYDOWN:
            if (wParam == VK_SPACE) {
                Press(window, *record);
            }
            return 0;
        case WM_KEYUP:
            return wParam == VK_SPACE ? OnRelease(window, true, lParam) : 0;
        case WM_SETFOCUS:
            return OnSetFocus(window, *record);
        case WM_KILLFOCUS:
            return OnKillFocus(window, *record);
        case WM_SETTEXT:
            return OnSetText(window, lParam);
        case WM_SETFONT:
            return OnSetFont(window, *record, reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(record->font);
        case BM_GETCHECK:
            return record->state & kCheckBits;
        case BM_SETCHECK:
            return OnSetCheck(window, *record, wParam);
        case BM_GETSTATE:
            return record->state;
        case BM_SETSTATE:
            return OnSetState(window, *record, wParam != 0);
        case BM_SETSTYLE:
            return OnSetStyle(window, wParam, LOWORD(lParam) != 0);
        case BM_CLICK:
            return OnClick(window);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

void RegisterButtonClass()
{
    RegisterSystemClass("Button", ButtonProc, nullptr);
}

}  // namespace winsim::detail
