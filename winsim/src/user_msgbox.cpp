// MessageBoxA as Windows runs it: a modal dialog owned by the owner, with a static text and
// the buttons of its type, whose answer is the button pressed; and WinHelpA, which records
// what it was asked to show.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "faults.h"
#include "user_dialog_template.h"
#include "user_windows.h"

namespace {

struct OpenBox {
    HWND window = nullptr;
    UINT type = 0;
    std::vector<int> buttons;
    std::size_t record = 0;
    int defaultId = 0;
};

struct Boxes {
    std::vector<winsim::MessageBoxRecord> records;
    std::vector<OpenBox*> open;  // innermost last
    std::vector<winsim::WinHelpRecord> help;
};

Boxes& State()
{
    static auto* boxes = new Boxes;
    return *boxes;
}

constexpr std::size_t kMaxHelpPairs = 1024;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr short kButtonGap = 6;
constexpr short kMargin = 8;

std::vector<int> ButtonsOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
        case MB_OK:
            return {IDOK};
        case MB_OKCANCEL:
            return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE:
            return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL:
            return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO:
            return {IDYES, IDNO};
        case MB_RETRYCANCEL:
            return {IDRETRY, IDCANCEL};
        default:
            return {};
    }
}

const char* ButtonText(int id)
{
    switch (id) {
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "Cancel";
        case IDABORT:
            return "&Abort";
        case IDRETRY:
            return "&Retry";
        case IDIGNORE:
            return "&Ignore";
        case IDYES:
            return "&Yes";
        case IDNO:
            return "&No";
        default:
            return "";
    }
}

// A box sized to its text, its buttons in a row under it; in dialog units of the system font.
std::vector<BYTE> BoxTemplate(const std::string& text, const std::string& caption, const OpenBox& box)
{
    const auto lines = static_cast<short>(1 + std::count(text.begin(), text.end(), '\n'));
    const auto longest = static_cast<short>(std::min<std::size_t>(text.size(), 60));
    const short textWidth = std::max<short>(60, static_cast<short>(longest * 4));
    const short textHeight = static_cast<short>(8 * (lines + static_cast<short>(text.size()) / 61));
    const auto count = static_cast<short>(box.buttons.size());
    const short rowWidth = static_cast<short>(count * kButtonWidth + (count - 1) * kButtonGap);
    const short width = static_cast<short>(std::max(textWidth, rowWidth) + 2 * kMargin);

    winsim::detail::DialogTemplate dialog;
    dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_NOFAILCREATE;
    dialog.cx = width;
    dialog.cy = static_cast<short>(textHeight + kButtonHeight + 3 * kMargin);
    dialog.caption = caption;
    winsim::detail::DialogItemTemplate label;
    label.style = WS_VISIBLE | SS_LEFT;
    label.x = kMargin;
    label.y = kMargin;
    label.cx = textWidth;
    label.cy = textHeight;
    label.id = 0xFFFF;
    label.className = "Static";
    label.title = text;
    dialog.items.push_back(label);
    short x = static_cast<short>((width - rowWidth) / 2);
    for (int id : box.buttons) {
        winsim::detail::DialogItemTemplate button;
        button.style = WS_VISIBLE | WS_TABSTOP | (id == box.defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        button.x = x;
        button.y = static_cast<short>(textHeight + 2 * kMargin);
        button.cx = kButtonWidth;
        button.cy = kButtonHeight;
        button.id = static_cast<DWORD>(id);
        button.className = "Button";
        button.title = ButtonText(id);
        dialog.items.push_back(button);
        x = static_cast<short>(x + kButtonWidth + kButtonGap);
    }
    return winsim::detail::BuildDialogTemplate(dialog);
}

bool HasButton(const OpenBox& box, int id)
{
    return std::find(box.buttons.begin(), box.buttons.end(), id) != box.buttons.end();
}

INT_PTR CALLBACK MessageBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_INITDIALOG: {
            auto* box = reinterpret_cast<OpenBox*>(lParam);
            SetWindowLongPtrA(window, DWLP_USER, lParam);
            box->window = window;
            State().records[box->record].window = window;
            SendMessageA(window, DM_SETDEFID, static_cast<WPARAM>(box->defaultId), 0);
            if (const HWND button = GetDlgItem(window, box->defaultId)) {
                SetFocus(button);
            }
            return FALSE;
        }
        case WM_COMMAND: {
            const auto* box = reinterpret_cast<const OpenBox*>(GetWindowLongPtrA(window, DWLP_USER));
            const int id = LOWORD(wParam);
            if (box == nullptr) {
                return FALSE;
            }
            // Escape closes a box that has Cancel, and a box that has only OK.
            if (HasButton(*box, id)) {
                EndDialog(window, id);
            } else if (id == IDCANCEL && (box->type & MB_TYPEMASK) == MB_OK) {
                EndDialog(window, IDOK);
            }
            return TRUE;
        }
        default:
            return FALSE;
    }
}

std::vector<HWND> DisableThreadWindows()
{
    std::vector<HWND> disabled;
    for (HWND window : winsim::detail::TopLevelWindows()) {
        if (IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            disabled.push_back(window);
        }
    }
    return disabled;
}

std::string BoxDescription(const winsim::MessageBoxRecord& record)
{
    char type[16];
    std::snprintf(type, sizeof(type), "0x%X", record.type);
    return "owner " + winsim::detail::HandleText(record.owner) + " caption " +
           winsim::detail::Quoted(record.caption) + " text " + winsim::detail::Quoted(record.text) +
           " type " + type;
}

}  // namespace

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const bool failing = winsim::detail::FailableCall("MessageBoxA");
    Boxes& boxes = State();
    winsim::MessageBoxRecord record;
    record.owner = owner;
    record.text = text != nullptr ? text : "";
    record.caption = caption != nullptr ? caption : "Error";
    record.type = type;
    boxes.records.push_back(record);
    const std::size_t index = boxes.records.size() - 1;

    OpenBox box;
    box.type = type;
    box.buttons = ButtonsOf(type);
    box.record = index;
    if (box.buttons.empty()) {
        SetLastError(ERROR_INVALID_MSGBOX_STYLE);
        return 0;
    }
    if (owner != nullptr && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (failing || winsim::detail::ConsumeFault(winsim::Fault::MessageBox)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const std::size_t defaultIndex = (type & MB_DEFMASK) >> 8;
    box.defaultId = box.buttons[defaultIndex < box.buttons.size() ? defaultIndex : 0];
    winsim::detail::Record(winsim::JournalKind::MessageBox, BoxDescription(record));

    std::vector<HWND> disabled;
    if ((type & MB_TASKMODAL) != 0 && owner == nullptr) {
        disabled = DisableThreadWindows();
    }
    const std::vector<BYTE> bytes = BoxTemplate(record.text, record.caption, box);
    boxes.open.push_back(&box);
    const INT_PTR result = DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                                   owner, MessageBoxProc, reinterpret_cast<LPARAM>(&box));
    auto& open = State().open;
    open.erase(std::remove(open.begin(), open.end(), &box), open.end());
    for (HWND window : disabled) {
        if (IsWindow(window)) {
            EnableWindow(window, TRUE);
        }
    }
    const int answer = result > 0 ? static_cast<int>(result) : 0;
    State().records[index].window = nullptr;
    State().records[index].result = answer;
    winsim::detail::Record(winsim::JournalKind::Answer,
                           std::to_string(answer) + " to " + winsim::detail::Quoted(record.caption));
    return answer;
}

BOOL WINAPI WinHelpA(HWND window, LPCSTR helpFile, UINT command, ULONG_PTR data)
{
    if (winsim::detail::FailableCall("WinHelpA")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    winsim::WinHelpRecord record;
    record.window = window;
    record.path = helpFile != nullptr ? helpFile : "";
    record.command = command;
    record.data = data;
    if ((command == HELP_WM_HELP || command == HELP_CONTEXTMENU) && data != 0) {
        const auto* pairs = reinterpret_cast<const DWORD*>(data);
        for (std::size_t i = 0; i < kMaxHelpPairs; ++i) {
            const DWORD control = pairs[2 * i];
            const DWORD context = pairs[2 * i + 1];
            if (control == 0 && context == 0) {
                break;
            }
            record.helpIds.emplace_back(control, context);
        }
    }
    char line[64];
    std::snprintf(line, sizeof(line), " command %u data 0x%llX", command,
                  static_cast<unsigned long long>(data));
    winsim::detail::Record(winsim::JournalKind::Help, winsim::detail::Quoted(record.path) + line);
    State().help.push_back(std::move(record));
    return TRUE;
}

namespace winsim {

const std::vector<MessageBoxRecord>& MessageBoxes()
{
    return State().records;
}

void ClearMessageBoxes()
{
    if (State().open.empty()) {
        State().records.clear();
    }
}

const std::vector<WinHelpRecord>& WinHelpCalls()
{
    return State().help;
}

namespace detail {

HWND InnermostMessageBox()
{
    const auto& open = State().open;
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        if ((*it)->window != nullptr && IsWindow((*it)->window)) {
            return (*it)->window;
        }
    }
    return nullptr;
}

bool AnswerMessageBox(HWND window, int buttonId)
{
    for (const OpenBox* box : State().open) {
        if (box->window == window) {
            if (!HasButton(*box, buttonId)) {
                return false;
            }
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, buttonId)));
            return true;
        }
    }
    return false;
}

}  // namespace detail
}  // namespace winsim
