// Timers on winsim's virtual clock. A due timer becomes a WM_TIMER message when a message
// loop looks for one and finds no posted message and no window to paint; several periods
// that passed meanwhile still make one message, and the next period starts then.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "faults.h"
#include "user_windows.h"

namespace {

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    std::uint64_t due = 0;
    TIMERPROC proc = nullptr;
    std::uint64_t sequence = 0;  // orders timers that fall due together
};

struct Timers {
    std::uint64_t now = 1000000;  // a machine that has been up for a while
    std::vector<Timer> timers;
    UINT_PTR nextThreadTimerId = 0x7FF0;
    std::uint64_t nextSequence = 1;
};

Timers& State()
{
    static auto* timers = new Timers;
    return *timers;
}

constexpr UINT kMinimumElapse = 10;  // USER_TIMER_MINIMUM
constexpr UINT kMaximumElapse = 0x7FFFFFFF;

Timer* FindTimer(HWND window, UINT_PTR id)
{
    auto& timers = State().timers;
    const auto found = std::find_if(timers.begin(), timers.end(),
                                    [&](const Timer& t) { return t.window == window && t.id == id; });
    return found == timers.end() ? nullptr : &*found;
}

}  // namespace

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    const bool failing = winsim::detail::FailableCall("SetTimer");
    if (window != nullptr && !IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (failing || winsim::detail::ConsumeFault(winsim::Fault::SetTimer)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    Timers& timers = State();
    elapse = std::clamp(elapse, kMinimumElapse, kMaximumElapse);
    Timer* timer = FindTimer(window, id);
    if (timer == nullptr) {
        if (window == nullptr) {
            id = timers.nextThreadTimerId++;
        }
        timers.timers.push_back(Timer{window, id, 0, 0, nullptr, 0});
        timer = &timers.timers.back();
    }
    // Setting a timer again replaces it and starts its period afresh.
    timer->elapse = elapse;
    timer->proc = proc;
    timer->due = timers.now + elapse;
    timer->sequence = timers.nextSequence++;
    return id != 0 ? id : 1;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id)
{
    auto& timers = State().timers;
    const auto found = std::find_if(timers.begin(), timers.end(),
                                    [&](const Timer& t) { return t.window == window && t.id == id; });
    if (found == timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timers.erase(found);
    return TRUE;
}

DWORD WINAPI GetTickCount()
{
    return static_cast<DWORD>(State().now);
}

namespace winsim {

DWORD ClockNow()
{
    return GetTickCount();
}

void AdvanceClock(DWORD milliseconds)
{
    State().now += milliseconds;
}

int LiveTimers()
{
    return static_cast<int>(State().timers.size());
}

namespace detail {

std::uint64_t Now()
{
    return State().now;
}

std::optional<MSG> DueTimer(HWND filter, UINT first, UINT last, bool remove)
{
    if (!PassesRange(first, last, WM_TIMER)) {
        return std::nullopt;
    }
    Timers& timers = State();
    Timer* next = nullptr;
    for (Timer& timer : timers.timers) {
        if (timer.due > timers.now || !PassesWindowFilter(filter, timer.window)) {
            continue;
        }
        if (next == nullptr || timer.due < next->due ||
            (timer.due == next->due && timer.sequence < next->sequence)) {
            next = &timer;
        }
    }
    if (next == nullptr) {
        return std::nullopt;
    }
    MSG message{};
    message.hwnd = next->window;
    message.message = WM_TIMER;
    message.wParam = next->id;
    message.lParam = reinterpret_cast<LPARAM>(next->proc);
    message.time = GetTickCount();
    GetCursorPos(&message.pt);
    if (remove) {
        next->due = timers.now + next->elapse;
        next->sequence = timers.nextSequence++;
    }
    return message;
}

bool IsLiveTimerProc(TIMERPROC proc)
{
    const auto& timers = State().timers;
    return std::any_of(timers.begin(), timers.end(), [&](const Timer& t) { return t.proc == proc; });
}

void KillWindowTimers(HWND window)
{
    auto& timers = State().timers;
    timers.erase(
        std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.window == window; }),
        timers.end());
}

}  // namespace detail
}  // namespace winsim
