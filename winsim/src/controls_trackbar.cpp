// The "msctls_trackbar32" class: range, position, line and page size, tic frequency, and the
// scroll notifications the parent receives when the user moves the thumb with the mouse or
// the keyboard. Messages that set values never notify. Painting validates the window; the
// drawing comes with device contexts.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>

#include "controls.h"

namespace winsim::detail {
namespace {

struct TrackbarRecord {
    HWND notify = nullptr;  // the parent at creation, which receives the scroll messages
    LONG rangeMin = 0;
    LONG rangeMax = 100;
    LONG position = 0;
    LONG lineSize = 1;
    LONG pageSize = 20;
    bool pageSizeSet = false;  // set by TBM_SETPAGESIZE; otherwise a fifth of the range
    UINT ticFrequency = 1;
    bool dragging = false;
};

ControlRecords<TrackbarRecord>& Records()
{
    static auto* records = new ControlRecords<TrackbarRecord>;
    return *records;
}

LONG Style(HWND window)
{
    return GetWindowLongA(window, GWL_STYLE);
}

void Notify(HWND window, const TrackbarRecord& record, WORD code, LONG position = 0)
{
    const UINT message = (Style(window) & TBS_VERT) != 0 ? WM_VSCROLL : WM_HSCROLL;
    SendMessageA(record.notify, message, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(window));
}

void Invalidate(HWND window)
{
    InvalidateRect(window, nullptr, FALSE);
}

void UpdatePageSize(TrackbarRecord& record)
{
    if (!record.pageSizeSet) {
        record.pageSize = std::max<LONG>((record.rangeMax - record.rangeMin) / 5, 1);
    }
}

// A position as the mouse can reach it: held inside the range.
LONG ReachablePosition(const TrackbarRecord& record, LONG position)
{
    if (position > record.rangeMax) {
        return record.rangeMax;
    }
    return position < record.rangeMin ? record.rangeMin : position;
}

LRESULT OnCreate(HWND window, LPARAM lParam)
{
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    TrackbarRecord* record = Records().Find(window);
    record->notify = create != nullptr ? create->hwndParent : GetParent(window);
    return 0;
}

LRESULT OnSetPos(HWND window, TrackbarRecord& record, bool redraw, LONG position)
{
    const LONG old = record.position;
    record.position = std::min(std::max(position, record.rangeMin), record.rangeMax);
    if (redraw && old != record.position) {
        Invalidate(window);
    }
    return 0;
}

// TBM_SETRANGE carries the minimum and maximum as signed 16-bit halves of lParam.
LRESULT OnSetRange(HWND window, TrackbarRecord& record, bool redraw, LPARAM range)
{
    record.rangeMin = static_cast<SHORT>(LOWORD(range));
    record.rangeMax = static_cast<SHORT>(HIWORD(range));
    record.position = std::max(record.position, record.rangeMin);
    record.position = std::min(record.position, record.rangeMax);
    UpdatePageSize(record);
    if (redraw) {
        Invalidate(window);
    }
    return 0;
}

LRESULT OnSetRangeMin(HWND window, TrackbarRecord& record, bool redraw, LONG minimum)
{
    record.rangeMin = minimum;
    record.position = std::max(record.position, minimum);
    UpdatePageSize(record);
    if (redraw) {
        Invalidate(window);
    }
    return 0;
}

LRESULT OnSetRangeMax(HWND window, TrackbarRecord& record, bool redraw, LONG maximum)
{
    record.rangeMax = maximum;
    record.position = std::min(record.position, std::max(maximum, record.rangeMin));
    UpdatePageSize(record);
    if (redraw) {
        Invalidate(window);
    }
    return 0;
}

LRESULT OnSetPageSize(TrackbarRecord& record, LONG size)
{
    const LONG old = record.pageSize;
    record.pageSizeSet = size != -1;
    if (record.pageSizeSet) {
        record.pageSize = size;
    }
    UpdatePageSize(record);
    return old;
}

LRESULT OnSetLineSize(TrackbarRecord& record, LONG size)
{
    const LONG old = record.lineSize;
    record.lineSize = size;
    return old;
}

// Only a TBS_AUTOTICKS trackbar takes a tic frequency.
LRESULT OnSetTicFrequency(HWND window, TrackbarRecord& record, WORD frequency)
{
    if ((Style(window) & TBS_AUTOTICKS) != 0) {
        record.ticFrequency = frequency;
        Invalidate(window);
    }
    return 0;
}

// The tics between the ends, and the two at the ends.
LRESULT OnGetNumTics(HWND window, const TrackbarRecord& record)
{
    const LONG style = Style(window);
    if ((style & TBS_NOTICKS) != 0) {
        return 0;
    }
    const LONG span = record.rangeMax - record.rangeMin;
    if ((style & TBS_AUTOTICKS) == 0 || record.ticFrequency == 0 || span < 0) {
        return 2;
    }
    LONG inner = span / static_cast<LONG>(record.ticFrequency);
    if (inner > 0 && span % static_cast<LONG>(record.ticFrequency) == 0) {
        --inner;  // the last tic falls on the end
    }
    return inner + 2;
}

// A step towards the maximum (down) or the minimum (up); none at the end it moves towards.
bool Step(TrackbarRecord& record, LONG delta)
{
    const LONG end = delta > 0 ? record.rangeMax : record.rangeMin;
    if (record.position == end) {
        return false;
    }
    record.position += delta;
    record.position = delta > 0 ? std::min(record.position, end) : std::max(record.position, end);
    return true;
}

bool Jump(TrackbarRecord& record, LONG to)
{
    if (record.position == to) {
        return false;
    }
    record.position = to;
    return true;
}

// The keys as they act on a horizontal trackbar: left and up towards the minimum, right and
// down towards the maximum. TBS_DOWNISLEFT swaps up and down (and the page keys) on a
// horizontal trackbar, left and right on a vertical one.
LRESULT OnKeyDown(HWND window, TrackbarRecord& record, WPARAM key)
{
    const LONG style = Style(window);
    const bool vertical = (style & TBS_VERT) != 0;
    const bool swapVertical = !vertical && (style & TBS_DOWNISLEFT) != 0;
    const bool swapHorizontal = vertical && (style & TBS_DOWNISLEFT) != 0;
    const LONG old = record.position;
    const auto line = [&](bool down) {
        if (Step(record, down ? record.lineSize : -record.lineSize)) {
            Notify(window, record, down ? TB_LINEDOWN : TB_LINEUP);
        }
    };
    const auto page = [&](bool down) {
        if (Step(record, down ? record.pageSize : -record.pageSize)) {
            Notify(window, record, down ? TB_PAGEDOWN : TB_PAGEUP);
        }
    };
    switch (key) {
        case VK_UP:
            line(swapVertical);
            break;
        case VK_DOWN:
            line(!swapVertical);
            break;
        case VK_LEFT:
            line(swapHorizontal);
            break;
        case VK_RIGHT:
            line(!swapHorizontal);
            break;
        case VK_PRIOR:
            page(swapVertical);
            break;
        case VK_NEXT:
            page(!swapVertical);
            break;
        case VK_HOME:
            if (Jump(record, record.rangeMin)) {
                Notify(window, record, TB_TOP);
            }
            break;
        case VK_END:
            if (Jump(record, record.rangeMax)) {
                Notify(window, record, TB_BOTTOM);
            }
            break;
        default:
            break;
    }
    if (TrackbarRecord* still = Records().Find(window); still != nullptr && still->position != old) {
        Invalidate(window);
    }
    return TRUE;
}

bool IsMovementKey(WPARAM key)
{
    switch (key) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
            return true;
        default:
            return false;
    }
}

// Every movement key ends its track when it goes up, whether or not the thumb moved.
LRESULT OnKeyUp(HWND window, const TrackbarRecord& record, WPARAM key)
{
    if (IsMovementKey(key)) {
        Notify(window, record, TB_ENDTRACK);
    }
    return TRUE;
}

LRESULT OnPaint(HWND window)
{
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

LRESULT CALLBACK TrackbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        Records().Add(window);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    TrackbarRecord* record = Records().Find(window);
    if (record == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    const bool redraw = wParam != 0;
    const auto value = static_cast<LONG>(lParam);
    switch (message) {
        case WM_NCDESTROY:
            Records().Remove(window);
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_CREATE:
            return OnCreate(window, lParam);
        case TBM_GETPOS:
            return record->position;
        case TBM_GETRANGEMIN:
            return record->rangeMin;
        case TBM_GETRANGEMAX:
            return record->rangeMax;
        case TBM_SETPOS:
            return OnSetPos(window, *record, redraw, value);
        case TBM_SETRANGE:
            return OnSetRange(window, *record, redraw, lParam);
        case TBM_SETRANGEMIN:
            return OnSetRangeMin(window, *record, redraw, value);
        case TBM_SETRANGEMAX:
            return OnSetRangeMax(window, *record, redraw, value);
        case TBM_GETPAGESIZE:
            return record->pageSize;
        case TBM_SETPAGESIZE:
            return OnSetPageSize(*record, value);
        case TBM_GETLINESIZE:
            return record->lineSize;
        case TBM_SETLINESIZE:
            return OnSetLineSize(*record, value);
        case TBM_SETTICFREQ:
            return OnSetTicFrequency(window, *record, LOWORD(wParam));
        case TBM_GETNUMTICS:
            return OnGetNumTics(window, *record);
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_KEYDOWN:
            return OnKeyDown(window, *record, wParam);
        case WM_KEYUP:
            return OnKeyUp(window, *record, wParam);
        case WM_ENABLE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Invalidate(window);
            return 0;
        case WM_ERASEBKGND:
            return 0;
        case WM_PAINT:
            return OnPaint(window);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

TrackbarRecord* UsableTrackbar(HWND window)
{
    TrackbarRecord* record = Records().Find(window);
    return record != nullptr && IsWindowEnabled(window) ? record : nullptr;
}

void Dispatch(HWND window, UINT message, WPARAM wParam)
{
    MSG input{};
    input.hwnd = window;
    input.message = message;
    input.wParam = wParam;
    input.time = GetTickCount();
    GetCursorPos(&input.pt);
    DispatchMessageA(&input);
}

}  // namespace

void RegisterTrackbarClass()
{
    RegisterSystemClass(TRACKBAR_CLASSA, TrackbarProc,
                        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
}

}  // namespace winsim::detail

namespace winsim {

bool DragTrackbar(HWND trackbar, int position, bool release)
{
    detail::TrackbarRecord* record = detail::UsableTrackbar(trackbar);
    if (record == nullptr) {
        return false;
    }
    if (!record->dragging) {
        // The button goes down on the thumb, which takes the focus and notifies nothing.
        record->dragging = true;
        SetFocus(trackbar);
        if ((record = detail::Records().Find(trackbar)) == nullptr) {
            return true;
        }
    }
    const LONG reached = detail::ReachablePosition(*record, position);
    if (reached != record->position) {
        record->position = reached;
        detail::Invalidate(trackbar);
        detail::Notify(trackbar, *record, TB_THUMBTRACK, reached);
    }
    if (release && (record = detail::Records().Find(trackbar)) != nullptr) {
        record->dragging = false;
        const detail::TrackbarRecord released = *record;
        detail::Notify(trackbar, released, TB_THUMBPOSITION, released.position);
        detail::Notify(trackbar, released, TB_ENDTRACK);
        // Letting go of the mouse capture ends the track a second time.
        detail::Notify(trackbar, released, TB_ENDTRACK);
    }
    return true;
}

bool PressTrackbarKey(HWND trackbar, int virtualKey)
{
    if (detail::UsableTrackbar(trackbar) == nullptr) {
        return false;
    }
    if (GetFocus() != trackbar) {
        SetFocus(trackbar);
    }
    detail::Dispatch(trackbar, WM_KEYDOWN, static_cast<WPARAM>(virtualKey));
    detail::Dispatch(trackbar, WM_KEYUP, static_cast<WPARAM>(virtualKey));
    return true;
}

}  // namespace winsim
