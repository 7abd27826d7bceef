// The dialog manager: dialogs from templates, the dialog class and DefDlgProcA, modal loops,
// EndDialog, dialog units and tab order.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <cstring>

#include "faults.h"
#include "text.h"
#include "user_dialog_template.h"
#include "user_windows.h"

namespace {

using winsim::detail::DialogInfo;
using winsim::detail::DialogOf;
using winsim::detail::LookupWindow;
using winsim::detail::MulDivRound;
using winsim::detail::Window;

struct BaseUnits {
    int systemX = 8;
    int systemY = 16;
    int fontX = 6;  // an 8-point dialog font
    int fontY = 13;
};

BaseUnits& Units()
{
    static auto* units = new BaseUnits;
    return *units;
}

constexpr int kFontUnitsPoints = 8;

bool HasDialogWords(const Window& w)
{
    return w.extra.size() >= static_cast<std::size_t>(DWLP_USER) + sizeof(LONG_PTR);
}

LONG_PTR ReadWord(const Window& w, int index)
{
    LONG_PTR value = 0;
    std::memcpy(&value, w.extra.data() + index, sizeof(value));
    return value;
}

void WriteWord(Window& w, int index, LONG_PTR value)
{
    std::memcpy(w.extra.data() + index, &value, sizeof(value));
}

// The control's own style decides, so that a dialog not yet shown has its tab order.
bool CanTakeFocus(HWND control)
{
    return (GetWindowLongA(control, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE;
}

// The dialog's controls in tab order: its children in Z order, with the controls of a child
// that is a control parent in its place.
void CollectControls(HWND parent, std::vector<HWND>& out)
{
    const Window* w = LookupWindow(parent);
    if (w == nullptr) {
        return;
    }
    for (HWND child : w->children) {
        const Window* c = LookupWindow(child);
        if ((c->exStyle & WS_EX_CONTROLPARENT) != 0 && CanTakeFocus(child)) {
            CollectControls(child, out);
        } else {
            out.push_back(child);
        }
    }
}

bool IsTabStop(HWND control)
{
    return CanTakeFocus(control) && (GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP) != 0;
}

void SaveFocus(HWND dialog)
{
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(dialog, focus)) {
        if (DialogInfo* info = DialogOf(dialog)) {
            info->savedFocus = focus;
        }
    }
}

void RestoreFocus(HWND dialog)
{
    const DialogInfo* info = DialogOf(dialog);
    if (info == nullptr || info->ended) {
        return;
    }
    HWND target = info->savedFocus;
    if (target == nullptr || !IsChild(dialog, target) || !CanTakeFocus(target)) {
        target = GetNextDlgTabItem(dialog, nullptr, FALSE);
    }
    if (target != nullptr) {
        SetFocus(target);
    }
}

HWND FindDefaultButton(HWND dialog)
{
    std::vector<HWND> controls;
    CollectControls(dialog, controls);
    for (HWND control : controls) {
        if ((SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) != 0) {
            return control;
        }
    }
    return nullptr;
}

bool IsPushButton(HWND control)
{
    return control != nullptr &&
           (SendMessageA(control, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

void SetDefaultId(HWND dialog, int id)
{
    DialogInfo* info = DialogOf(dialog);
    if (info == nullptr) {
        return;
    }
    const HWND old = info->defaultId != 0 ? GetDlgItem(dialog, info->defaultId) : FindDefaultButton(dialog);
    info->defaultId = id;
    if (IsPushButton(old)) {
        SendMessageA(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    const HWND next = GetDlgItem(dialog, id);
    if (IsPushButton(next)) {
        SendMessageA(next, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }
}

// As the dialog manager does when the focus moves: a push button that takes the focus shows
// as the default (Enter presses it); any other control gives the look back to the dialog's
// own default button.
void MoveDefaultButtonTo(HWND dialog, HWND focus)
{
    const DialogInfo* info = DialogOf(dialog);
    if (info == nullptr) {
        return;
    }
    const auto code = SendMessageA(focus, WM_GETDLGCODE, 0, 0);
    HWND current = FindDefaultButton(dialog);
    HWND wanted = focus;
    if ((code & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)) == 0) {
        wanted = info->defaultId != 0 ? GetDlgItem(dialog, info->defaultId) : current;
        if (!IsPushButton(wanted)) {
            wanted = current;
        }
    }
    if (current != nullptr && current != wanted) {
        SendMessageA(current, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    if (wanted != nullptr && (SendMessageA(wanted, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON) != 0) {
        SendMessageA(wanted, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }
}

LRESULT NextControl(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    HWND target = nullptr;
    if (LOWORD(lParam) != 0) {
        target = reinterpret_cast<HWND>(wParam);
    } else {
        target = GetNextDlgTabItem(dialog, GetFocus(), wParam != 0 ? TRUE : FALSE);
    }
    if (target != nullptr && IsChild(dialog, target)) {
        SetFocus(target);
        MoveDefaultButtonTo(dialog, target);
    }
    return 0;
}

// What DefDlgProcA does for the messages the dialog procedure left alone.
LRESULT DialogDefault(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_SHOWWINDOW:
            if (wParam == 0) {
                SaveFocus(dialog);
            }
            return DefWindowProcA(dialog, message, wParam, lParam);
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                RestoreFocus(dialog);
            } else {
                SaveFocus(dialog);
            }
            return 0;
        case WM_SETFOCUS:
            RestoreFocus(dialog);
            return 0;
        case DM_SETDEFID:
            if (const DialogInfo* info = DialogOf(dialog); info != nullptr && !info->ended) {
                SetDefaultId(dialog, static_cast<int>(wParam));
            }
            return 1;
        case DM_GETDEFID: {
            const DialogInfo* info = DialogOf(dialog);
            if (info == nullptr || info->ended) {
                return 0;
            }
            if (info->defaultId != 0) {
                return MAKELONG(info->defaultId, DC_HASDEFID);
            }
            if (const HWND button = FindDefaultButton(dialog)) {
                return MAKELONG(GetDlgCtrlID(button), DC_HASDEFID);
            }
            return 0;
        }
        case WM_NEXTDLGCTL:
            return NextControl(dialog, wParam, lParam);
        case WM_GETFONT: {
            const DialogInfo* info = DialogOf(dialog);
            return info != nullptr ? reinterpret_cast<LRESULT>(info->font) : 0;
        }
        case WM_CLOSE: {
            const HWND cancel = GetDlgItem(dialog, IDCANCEL);
            if (cancel != nullptr && !IsWindowEnabled(cancel)) {
                return 0;
            }
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(cancel));
            return 0;
        }
        case WM_NCDESTROY: {
            DialogInfo* info = DialogOf(dialog);
            if (info != nullptr && info->ownsFont && info->font != nullptr) {
                DeleteObject(info->font);
                info->font = nullptr;
            }
            return DefWindowProcA(dialog, message, wParam, lParam);
        }
        default:
            return DefWindowProcA(dialog, message, wParam, lParam);
    }
}

// These messages return the dialog procedure's own result; the others return DWLP_MSGRESULT.
bool ReturnsProcResult(UINT message)
{
    return (message >= 0x0132 && message <= 0x0138) ||  // WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC
           message == 0x0039 ||                         // WM_COMPAREITEM
           message == 0x002E ||                         // WM_VKEYTOITEM
           message == 0x002F ||                         // WM_CHARTOITEM
           message == 0x0037 ||                         // WM_QUERYDRAGICON
           message == WM_INITDIALOG;
}

bool LoadTemplate(HINSTANCE instance, LPCSTR name, const void*& bytes, std::size_t& size)
{
    const HRSRC resource = FindResourceA(instance, name, RT_DIALOG);
    if (resource == nullptr) {
        return false;
    }
    const HGLOBAL loaded = LoadResource(instance, resource);
    bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    size = SizeofResource(instance, resource);
    return bytes != nullptr && size != 0;
}

// A modal dialog's owner is the first window up from the given one that is not a child.
HWND ModalOwner(HWND owner)
{
    while (owner != nullptr && (GetWindowLongA(owner, GWL_STYLE) & (WS_POPUP | WS_CHILD)) == WS_CHILD) {
        const HWND parent = GetParent(owner);
        if (parent == nullptr || parent == GetDesktopWindow()) {
            break;
        }
        owner = parent;
    }
    return owner;
}

HFONT CreateTemplateFont(const winsim::detail::DialogTemplate& dialog)
{
    LOGFONTA font{};
    font.lfHeight = -MulDivRound(dialog.pointSize, 96, 72);
    font.lfWeight = dialog.weight;
    font.lfItalic = dialog.italic;
    font.lfCharSet = dialog.charset;
    const std::size_t length = std::min(dialog.face.size(), sizeof(font.lfFaceName) - 1);
    std::memcpy(font.lfFaceName, dialog.face.data(), length);
    font.lfFaceName[length] = '\0';
    return CreateFontIndirectA(&font);
}

bool CreateControls(HWND dialog, HINSTANCE instance, const winsim::detail::DialogTemplate& dialogTemplate,
                    int baseX, int baseY, HFONT font)
{
    for (const auto& item : dialogTemplate.items) {
        const auto* creation = item.creationData.empty() ? nullptr : item.creationData.data();
        const HWND control = CreateWindowExA(
            item.exStyle | WS_EX_NOPARENTNOTIFY, item.className.c_str(), item.title.c_str(),
            item.style | WS_CHILD, MulDivRound(item.x, baseX, 4), MulDivRound(item.y, baseY, 8),
            MulDivRound(item.cx, baseX, 4), MulDivRound(item.cy, baseY, 8), dialog,
            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), instance, const_cast<BYTE*>(creation));
        if (!IsWindow(dialog)) {
            return false;
        }
        if (control == nullptr) {
            if ((dialogTemplate.style & DS_NOFAILCREATE) != 0) {
                continue;
            }
            return false;
        }
        if (font != nullptr) {
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        const bool defaultButton = (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) != 0 ||
                                   (winsim::detail::EqualsIgnoreCase(item.className, "Button") &&
                                    (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        if (defaultButton) {
            if (DialogInfo* info = DialogOf(dialog)) {
                info->defaultId = static_cast<int>(item.id);
            }
        }
    }
    return true;
}

void ReleaseOwner(HWND owner)
{
    if (owner != nullptr && IsWindow(owner)) {
        EnableWindow(owner, TRUE);
    }
}

}  // namespace

HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                               LPARAM param)
{
    const void* bytes = nullptr;
    std::size_t size = 0;
    if (!LoadTemplate(instance, templateName, bytes, size)) {
        return nullptr;
    }
    return winsim::detail::CreateDialogFromTemplate(instance, bytes, size, parent, proc, param, false);
}

// The caller's own template has no stated size; it is read as far as its contents say.
HWND WINAPI CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND parent,
                                       DLGPROC proc, LPARAM param)
{
    return winsim::detail::CreateDialogFromTemplate(instance, dialogTemplate, SIZE_MAX, parent, proc, param,
                                                    false);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                               LPARAM param)
{
    const bool failing = winsim::detail::FailableCall("DialogBoxParamA");
    if (failing || winsim::detail::ConsumeFault(winsim::Fault::DialogBox)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
    const void* bytes = nullptr;
    std::size_t size = 0;
    if (!LoadTemplate(instance, templateName, bytes, size)) {
        return -1;
    }
    const HWND dialog =
        winsim::detail::CreateDialogFromTemplate(instance, bytes, size, parent, proc, param, true);
    return dialog != nullptr ? winsim::detail::RunModalDialog(dialog) : -1;
}

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND parent,
                                       DLGPROC proc, LPARAM param)
{
    const HWND dialog = winsim::detail::CreateDialogFromTemplate(instance, dialogTemplate, SIZE_MAX, parent,
                                                                 proc, param, true);
    return dialog != nullptr ? winsim::detail::RunModalDialog(dialog) : -1;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result)
{
    DialogInfo* info = LookupWindow(dialog) != nullptr ? DialogOf(dialog) : nullptr;
    if (info == nullptr) {
        SetLastError(ERROR_WINDOW_NOT_DIALOG);
        return FALSE;
    }
    info->result = result;
    info->ended = true;
    const HWND owner = info->disabledOwner;
    info->disabledOwner = nullptr;
    ReleaseOwner(owner);
    if (IsChild(dialog, GetFocus())) {
        SetFocus(dialog);
    }
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    if (dialog == GetActiveWindow()) {
        winsim::detail::ActivateOtherWindow(dialog);
    }
    PostMessageA(dialog, WM_NULL, 0, 0);  // wakes the modal loop
    return TRUE;
}

LRESULT WINAPI DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* w = LookupWindow(dialog);
    if (w == nullptr) {
        return 0;
    }
    DialogOf(dialog);
    DLGPROC proc = nullptr;
    if (HasDialogWords(*w)) {
        WriteWord(*w, DWLP_MSGRESULT, 0);
        proc = reinterpret_cast<DLGPROC>(ReadWord(*w, DWLP_DLGPROC));
    }
    const INT_PTR result = proc != nullptr ? proc(dialog, message, wParam, lParam) : 0;
    w = LookupWindow(dialog);
    if (result == 0 && w != nullptr) {
        switch (message) {
            case WM_INITDIALOG:
            case 0x002E:  // WM_VKEYTOITEM
            case 0x0039:  // WM_COMPAREITEM
            case 0x002F:  // WM_CHARTOITEM
                break;
            default:
                return DialogDefault(dialog, message, wParam, lParam);
        }
    }
    if (ReturnsProcResult(message) || w == nullptr || !HasDialogWords(*w)) {
        return result;
    }
    return ReadWord(*w, DWLP_MSGRESULT);
}

LONG WINAPI GetDialogBaseUnits()
{
    return MAKELONG(Units().systemX, Units().systemY);
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect)
{
    const Window* w = LookupWindow(dialog);
    const DialogInfo* info = (w != nullptr && w->dialog) ? &*w->dialog : nullptr;
    if (info == nullptr || rect == nullptr) {
        SetLastError(info == nullptr ? ERROR_WINDOW_NOT_DIALOG : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    rect->left = MulDivRound(rect->left, info->baseX, 4);
    rect->right = MulDivRound(rect->right, info->baseX, 4);
    rect->top = MulDivRound(rect->top, info->baseY, 8);
    rect->bottom = MulDivRound(rect->bottom, info->baseY, 8);
    return TRUE;
}

HWND WINAPI GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous)
{
    if (LookupWindow(dialog) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::vector<HWND> controls;
    CollectControls(dialog, controls);
    if (previous) {
        std::reverse(controls.begin(), controls.end());
    }
    const auto at = std::find(controls.begin(), controls.end(), control);
    if (control == nullptr || at == controls.end()) {
        const auto first = std::find_if(controls.begin(), controls.end(), IsTabStop);
        return first == controls.end() ? nullptr : *first;
    }
    const std::size_t start = static_cast<std::size_t>(at - controls.begin());
    for (std::size_t step = 1; step <= controls.size(); ++step) {
        const HWND candidate = controls[(start + step) % controls.size()];
        if (IsTabStop(candidate)) {
            return candidate;
        }
    }
    return control;
}

namespace winsim {

void SetDialogBaseUnits(int x, int y)
{
    Units().systemX = x;
    Units().systemY = y;
}

void SetDialogFontBaseUnits(int x, int y)
{
    Units().fontX = x;
    Units().fontY = y;
}

namespace detail {

DialogInfo* DialogOf(HWND window)
{
    Window* w = LookupWindow(window);
    if (w == nullptr) {
        return nullptr;
    }
    if (!w->dialog) {
        w->dialog.emplace();
        w->dialog->baseX = Units().systemX;
        w->dialog->baseY = Units().systemY;
    }
    return &*w->dialog;
}

bool IsDialogWindow(HWND window)
{
    const Window* w = LookupWindow(window);
    return w != nullptr && w->dialog.has_value();
}

LRESULT CALLBACK DialogClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefDlgProcA(window, message, wParam, lParam);
}

namespace {

// A modal dialog disables its owner until it ends; the owner it disabled, or null when the
// owner was disabled already.
HWND DisableOwner(HWND owner)
{
    if (!IsWindowEnabled(owner)) {
        return nullptr;
    }
    EnableWindow(owner, FALSE);
    return owner;
}

// The dialog's font and the base units its template's coordinates are in: those of the
// template's font when it names one that can be made, else the system's.
struct DialogUnits {
    HFONT font = nullptr;
    int baseX = 0;
    int baseY = 0;
};

DialogUnits UnitsOf(const DialogTemplate& dialogTemplate)
{
    DialogUnits units{nullptr, Units().systemX, Units().systemY};
    if (dialogTemplate.hasFont && dialogTemplate.pointSize > 0) {
        units.font = CreateTemplateFont(dialogTemplate);
        if (units.font != nullptr) {
            units.baseX = std::max(1, MulDivRound(Units().fontX, dialogTemplate.pointSize, kFontUnitsPoints));
            units.baseY = std::max(1, MulDivRound(Units().fontY, dialogTemplate.pointSize, kFontUnitsPoints));
        }
    }
    return units;
}

// The dialog window's styles, place and size: DS_MODALFRAME and DS_CONTROL made window styles,
// the template's rectangle in pixels around the client area, and a top-level dialog centred
// (DS_CENTER) or placed from its owner's client area, and kept on the screen.
struct DialogFrame {
    DWORD style = 0;
    DWORD exStyle = 0;
    POINT position{};
    int width = 0;
    int height = 0;
};

DialogFrame FrameOf(const DialogTemplate& dialogTemplate, const DialogUnits& units, HWND owner)
{
    DialogFrame frame{dialogTemplate.style, dialogTemplate.exStyle, {}, 0, 0};
    if ((frame.style & DS_MODALFRAME) != 0) {
        frame.exStyle |= WS_EX_DLGMODALFRAME;
    }
    if ((frame.style & DS_CONTROL) != 0) {
        frame.style &= ~static_cast<DWORD>(WS_CAPTION | WS_SYSMENU);
        frame.exStyle |= WS_EX_CONTROLPARENT;
    }
    RECT outline{0, 0, MulDivRound(dialogTemplate.cx, units.baseX, 4),
                 MulDivRound(dialogTemplate.cy, units.baseY, 8)};
    AdjustWindowRectEx(&outline, frame.style, FALSE, frame.exStyle);
    frame.width = outline.right - outline.left;
    frame.height = outline.bottom - outline.top;
    frame.position = POINT{outline.left + MulDivRound(dialogTemplate.x, units.baseX, 4),
                           outline.top + MulDivRound(dialogTemplate.y, units.baseY, 8)};
    if ((frame.style & WS_CHILD) == 0) {
        const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
        if ((frame.style & DS_CENTER) != 0) {
            frame.position = POINT{(screenWidth - frame.width) / 2, (screenHeight - frame.height) / 2};
        } else if ((frame.style & DS_ABSALIGN) == 0 && owner != nullptr) {
            ClientToScreen(owner, &frame.position);
        }
        // A dialog is kept on the screen.
        frame.position.x = std::max<LONG>(0, std::min<LONG>(frame.position.x, screenWidth - frame.width));
        frame.position.y = std::max<LONG>(0, std::min<LONG>(frame.position.y, screenHeight - frame.height));
    }
    return frame;
}

// The dialog window itself, hidden until its controls are made; its class is the template's
// or the dialog class.
HWND CreateDialogWindow(HINSTANCE instance, const DialogTemplate& dialogTemplate, const DialogFrame& frame,
                        HWND owner)
{
    const std::string className =
        dialogTemplate.className.empty() ? std::string("#32770") : dialogTemplate.className;
    return CreateWindowExA(frame.exStyle, className.c_str(), dialogTemplate.caption.c_str(),
                           frame.style & ~static_cast<DWORD>(WS_VISIBLE), frame.position.x, frame.position.y,
                           frame.width, frame.height, owner, nullptr, instance, nullptr);
}

// What the dialog manager keeps for the window: font, units, the owner to enable again and
// the dialog procedure; the font is given to the window.
void RecordDialog(HWND dialog, const DialogUnits& units, HWND disabledOwner, DLGPROC proc)
{
    DialogInfo* info = DialogOf(dialog);
    info->font = units.font;
    info->ownsFont = units.font != nullptr;
    info->baseX = units.baseX;
    info->baseY = units.baseY;
    info->disabledOwner = disabledOwner;
    if (HasDialogWords(*LookupWindow(dialog))) {
        WriteWord(*LookupWindow(dialog), DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    }
    if (units.font != nullptr) {
        SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(units.font), 0);
    }
}

// WM_INITDIALOG with the first tab stop, the focus it asks for, then the dialog shown when
// its template makes it visible.
void InitialiseDialog(HWND dialog, const DialogTemplate& dialogTemplate, DWORD style, LPARAM param)
{
    const HWND firstControl = GetNextDlgTabItem(dialog, nullptr, FALSE);
    DialogOf(dialog)->savedFocus = firstControl;
    const LRESULT wantsFocus =
        SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstControl), param);
    // TRUE asks for the default focus; FALSE leaves it where the procedure put it.
    if (wantsFocus != 0 && IsWindow(dialog) && ((style & DS_CONTROL) == 0 || (style & WS_VISIBLE) != 0)) {
        if (const HWND focus = GetNextDlgTabItem(dialog, nullptr, FALSE)) {
            SetFocus(focus);
        } else if ((style & WS_CHILD) == 0) {
            SetFocus(dialog);
        }
    }
    if (IsWindow(dialog) && (dialogTemplate.style & WS_VISIBLE) != 0 &&
        (GetWindowLongA(dialog, GWL_STYLE) & WS_VISIBLE) == 0) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        UpdateWindow(dialog);
    }
}

}  // namespace

HWND CreateDialogFromTemplate(HINSTANCE instance, const void* bytes, std::size_t size, HWND owner,
                              DLGPROC proc, LPARAM param, bool modal)
{
    const auto parsed = ParseDialogTemplate(bytes, size);
    if (!parsed) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const DialogTemplate& dialogTemplate = *parsed;
    if (owner != nullptr && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    HWND disabledOwner = nullptr;
    if (modal && owner != nullptr) {
        owner = ModalOwner(owner);
        disabledOwner = DisableOwner(owner);
    }
    const DialogUnits units = UnitsOf(dialogTemplate);
    const DialogFrame frame = FrameOf(dialogTemplate, units, owner);
    const HWND dialog = CreateDialogWindow(instance, dialogTemplate, frame, owner);
    if (dialog == nullptr) {
        if (units.font != nullptr) {
            DeleteObject(units.font);
        }
        ReleaseOwner(disabledOwner);
        return nullptr;
    }
    RecordDialog(dialog, units, disabledOwner, proc);
    if (!IsWindow(dialog) ||
        !CreateControls(dialog, instance, dialogTemplate, units.baseX, units.baseY, units.font)) {
        if (IsWindow(dialog)) {
            DestroyWindow(dialog);
        }
        ReleaseOwner(disabledOwner);
        return nullptr;
    }
    InitialiseDialog(dialog, dialogTemplate, frame.style, param);
    if (!IsWindow(dialog)) {
        ReleaseOwner(disabledOwner);
        return nullptr;
    }
    return dialog;
}

INT_PTR RunModalDialog(HWND dialog)
{
    const bool journal = InnermostMessageBox() != dialog;
    if (journal) {
        Record(JournalKind::Dialog, "opened " + DescribeWindow(dialog));
    }
    HWND pendingOwner = DialogOf(dialog)->disabledOwner;
    const HWND owner = GetWindow(dialog, GW_OWNER);
    bool firstEmpty = true;
    for (;;) {
        const DialogInfo* info = DialogOf(dialog);
        if (info == nullptr || info->ended) {
            break;
        }
        MSG message{};
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (firstEmpty) {
                ShowWindow(dialog, SW_SHOWNORMAL);
                firstEmpty = false;
            }
            if (owner != nullptr && IsWindow(owner) &&
                (GetWindowLongA(dialog, GWL_STYLE) & DS_NOIDLEMSG) == 0) {
                SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(dialog));
            }
            GetMessageA(&message, nullptr, 0, 0);
        }
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!IsWindow(dialog)) {
            break;
        }
        if (!DialogOf(dialog)->ended && !IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (!IsWindow(dialog)) {
            break;
        }
        pendingOwner = DialogOf(dialog)->disabledOwner;
        if (firstEmpty && message.message == WM_TIMER) {
            ShowWindow(dialog, SW_SHOWNORMAL);
            firstEmpty = false;
        }
    }
    INT_PTR result = 0;
    if (IsWindow(dialog)) {
        result = DialogOf(dialog)->result;
        pendingOwner = DialogOf(dialog)->disabledOwner;
        DestroyWindow(dialog);
    }
    ReleaseOwner(pendingOwner);
    if (journal) {
        Record(JournalKind::Dialog, "ended " + HandleText(dialog) + " with " + std::to_string(result));
    }
    return result;
}

}  // namespace detail
}  // namespace winsim
