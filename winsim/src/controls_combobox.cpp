// The "ComboBox" class: a list of strings with item data, one selection, the text of the
// selection field, the font, and the field's fixed height. CB_SETCURSEL selects silently; a
// user's choice (SelectComboItem, or the arrow keys on the closed box) notifies the parent
// with CBN_SELCHANGE.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "controls.h"
#include "gdi_objects.h"
#include "text.h"

namespace winsim::detail {
namespace {

struct ComboItem {
    std::string text;
    LPARAM data = 0;
};

struct ComboRecord {
    std::vector<ComboItem> items;
    int selection = -1;
    std::string editText;  // the selection field of a box that has one (not CBS_DROPDOWNLIST)
    HFONT font = nullptr;
    bool holdingHeight = false;
};

ControlRecords<ComboRecord>& Records()
{
    static auto* records = new ControlRecords<ComboRecord>;
    return *records;
}

LONG Type(HWND window)
{
    return GetWindowLongA(window, GWL_STYLE) & CBS_DROPDOWNLIST;
}

bool HasEditField(HWND window)
{
    return Type(window) != CBS_DROPDOWNLIST;
}

int Count(const ComboRecord& record)
{
    return static_cast<int>(record.items.size());
}

bool IsItem(const ComboRecord& record, int index)
{
    return index >= 0 && index < Count(record);
}

std::string TextOf(LPARAM text)
{
    const char* chars = reinterpret_cast<const char*>(text);
    return chars == nullptr ? std::string() : std::string(chars);
}

bool LessIgnoringCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return AsciiUpper(x) < AsciiUpper(y); });
}

// The box's height is its selection field's, whatever height it was created or sized with:
// the font's cell height and 8 pixels of edge and margin, in client pixels.
void HoldFieldHeight(HWND window, ComboRecord& record)
{
    if (Type(window) == CBS_SIMPLE || record.holdingHeight) {
        return;
    }
    RECT outer{};
    RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const int frame = (outer.bottom - outer.top) - (client.bottom - client.top);
    const int height = FontCellHeight(record.font) + 8 + frame;
    if (outer.bottom - outer.top == height) {
        return;
    }
    record.holdingHeight = true;
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (ComboRecord* still = Records().Find(window)) {
        still->holdingHeight = false;
    }
}

void ShowSelection(HWND window, ComboRecord& record)
{
    if (HasEditField(window)) {
        record.editText =
            IsItem(record, record.selection) ? record.items[record.selection].text : std::string();
    }
    InvalidateRect(window, nullptr, TRUE);
}

int InsertAt(ComboRecord& record, int index, std::string text)
{
    record.items.insert(record.items.begin() + index, ComboItem{std::move(text), 0});
    if (record.selection >= index) {
        ++record.selection;
    }
    return index;
}

LRESULT OnAddString(HWND window, ComboRecord& record, LPARAM text)
{
    std::string added = TextOf(text);
    int index = Count(record);
    if ((GetWindowLongA(window, GWL_STYLE) & CBS_SORT) != 0) {
        const auto at = std::lower_bound(record.items.begin(), record.items.end(), added,
                                         [](const ComboItem& item, const std::string& value) {
                                             return LessIgnoringCase(item.text, value);
                                         });
        index = static_cast<int>(at - record.items.begin());
    }
    return InsertAt(record, index, std::move(added));
}

LRESULT OnInsertString(ComboRecord& record, int index, LPARAM text)
{
    if (index == -1) {
        index = Count(record);
    }
    if (index < 0 || index > Count(record)) {
        return CB_ERR;
    }
    return InsertAt(record, index, TextOf(text));
}

LRESULT OnDeleteString(HWND window, ComboRecord& record, int index)
{
    if (!IsItem(record, index)) {
        return CB_ERR;
    }
    record.items.erase(record.items.begin() + index);
    if (record.selection == index) {
        record.selection = -1;
    } else if (record.selection > index) {
        --record.selection;
    }
    InvalidateRect(window, nullptr, TRUE);
    return Count(record);
}

LRESULT OnResetContent(HWND window, ComboRecord& record)
{
    record.items.clear();
    record.selection = -1;
    ShowSelection(window, record);
    return CB_OKAY;
}

// An index outside the list (or -1) clears the selection and answers CB_ERR.
LRESULT OnSetCurSel(HWND window, ComboRecord& record, int index)
{
    record.selection = IsItem(record, index) ? index : -1;
    ShowSelection(window, record);
    return record.selection == -1 ? CB_ERR : record.selection;
}

LRESULT OnGetLbText(const ComboRecord& record, int index, LPARAM buffer)
{
    if (!IsItem(record, index) || buffer == 0) {
        return CB_ERR;
    }
    // The caller's buffer holds CB_GETLBTEXTLEN + 1 characters, as the message requires.
    const std::string& text = record.items[index].text;
    std::memcpy(reinterpret_cast<char*>(buffer), text.c_str(), text.size() + 1);
    return static_cast<LRESULT>(text.size());
}

LRESULT OnGetLbTextLen(const ComboRecord& record, int index)
{
    return IsItem(record, index) ? static_cast<LRESULT>(record.items[index].text.size()) : CB_ERR;
}

LRESULT OnGetItemData(const ComboRecord& record, int index)
{
    return IsItem(record, index) ? record.items[index].data : CB_ERR;
}

LRESULT OnSetItemData(ComboRecord& record, int index, LPARAM data)
{
    if (!IsItem(record, index)) {
        return CB_ERR;
    }
    record.items[index].data = data;
    return TRUE;
}

// What WM_GETTEXT reads: the selection field, or for a drop-down list the selected item.
std::string FieldText(HWND window, const ComboRecord& record)
{
    if (HasEditField(window)) {
        return record.editText;
    }
    return IsItem(record, record.selection) ? record.items[record.selection].text : std::string();
}

LRESULT OnGetText(HWND window, const ComboRecord& record, WPARAM size, LPARAM buffer)
{
    if (size == 0 || buffer == 0) {
        return 0;
    }
    const std::string text = FieldText(window, record);
    const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(size) - 1);
    char* out = reinterpret_cast<char*>(buffer);
    std::memcpy(out, text.data(), copied);
    out[copied] = '\0';
    return static_cast<LRESULT>(copied);
}

LRESULT OnSetText(HWND window, ComboRecord& record, LPARAM text)
{
    if (!HasEditField(window)) {
        return CB_ERR;
    }
    record.editText = TextOf(text);
    InvalidateRect(window, nullptr, TRUE);
    return TRUE;
}

LRESULT OnSetFont(HWND window, ComboRecord& record, HFONT font, bool redraw)
{
    record.font = font;
    HoldFieldHeight(window, record);
    if (redraw) {
        InvalidateRect(window, nullptr, TRUE);
    }
    return 0;
}

// The user's choice: a new selection is shown and reported to the parent.
void Choose(HWND window, ComboRecord& record, int index)
{
    if (index == record.selection) {
        return;
    }
    record.selection = index;
    ShowSelection(window, record);
    NotifyParent(window, CBN_SELCHANGE);
}

LRESULT OnKeyDown(HWND window, ComboRecord& record, WPARAM key)
{
    if (record.items.empty()) {
        return 0;
    }
    if (key == VK_DOWN) {
        Choose(window, record, std::min(record.selection + 1, Count(record) - 1));
    } else if (key == VK_UP) {
        Choose(window, record, std::max(record.selection - 1, 0));
    }
    return 0;
}

LRESULT OnPaint(HWND window)
{
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

int IndexArgument(WPARAM wParam)
{
    return static_cast<int>(static_cast<INT_PTR>(wParam));
}

LRESULT CALLBACK ComboBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        Records().Add(window);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    ComboRecord* record = Records().Find(window);
    if (record == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    const int index = IndexArgument(wParam);
    switch (message) {
        case WM_NCDESTROY:
            Records().Remove(window);
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_CREATE:
            HoldFieldHeight(window, *record);
            return 0;
        case WM_SIZE:
            HoldFieldHeight(window, *record);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_ENABLE:
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_PAINT:
            return OnPaint(window);
        case WM_KEYDOWN:
            return OnKeyDown(window, *record, wParam);
        case WM_SETFONT:
            return OnSetFont(window, *record, reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(record->font);
        case WM_GETTEXT:
            return OnGetText(window, *record, wParam, lParam);
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(FieldText(window, *record).size());
        case WM_SETTEXT:
            return OnSetText(window, *record, lParam);
        case CB_ADDSTRING:
            return OnAddString(window, *record, lParam);
        case CB_INSERTSTRING:
            return OnInsertString(*record, index, lParam);
        case CB_DELETESTRING:
            return OnDeleteString(window, *record, index);
        case CB_RESETCONTENT:
            return OnResetContent(window, *record);
        case CB_GETCOUNT:
            return Count(*record);
        case CB_GETCURSEL:
            return record->selection;
        case CB_SETCURSEL:
            return OnSetCurSel(window, *record, index);
        case CB_GETLBTEXT:
            return OnGetLbText(*record, index, lParam);
        case CB_GETLBTEXTLEN:
            return OnGetLbTextLen(*record, index);
        case CB_GETITEMDATA:
            return OnGetItemData(*record, index);
        case CB_SETITEMDATA:
            return OnSetItemData(*record, index, lParam);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

void RegisterComboBoxClass()
{
    RegisterSystemClass("ComboBox", ComboBoxProc, nullptr);
}

}  // namespace winsim::detail

namespace winsim {

bool SelectComboItem(HWND combo, int index)
{
    detail::ComboRecord* record = detail::Records().Find(combo);
    if (record == nullptr || !IsWindowEnabled(combo) || !detail::IsItem(*record, index)) {
        return false;
    }
    detail::Choose(combo, *record, index);
    return true;
}

}  // namespace winsim
