// WH_CALLWNDPROC hooks of the thread. The newest hook is called first; each passes the
// message on with CallNextHookEx. A hook removed while it runs stays in the chain until the
// call returns, so that CallNextHookEx still finds the hooks after it.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "faults.h"
#include "user_windows.h"

namespace {

struct Hook {
    HHOOK handle = nullptr;
    HOOKPROC proc = nullptr;
    bool removed = false;
};

struct Hooks {
    std::vector<Hook> chain;  // newest first
    std::uintptr_t nextHandle = 0x00020004;
    // The hooks being called now, innermost last: CallNextHookEx continues after the last one.
    std::vector<HHOOK> calling;
};

Hooks& State()
{
    static auto* hooks = new Hooks;
    return *hooks;
}

bool InCall(HHOOK hook)
{
    const auto& calling = State().calling;
    return std::find(calling.begin(), calling.end(), hook) != calling.end();
}

void DropRemovedHooks()
{
    auto& chain = State().chain;
    chain.erase(std::remove_if(chain.begin(), chain.end(),
                               [](const Hook& hook) { return hook.removed && !InCall(hook.handle); }),
                chain.end());
}

// The first live hook after `after` (or the first of all when `after` is null).
const Hook* NextHook(HHOOK after)
{
    const auto& chain = State().chain;
    auto start = chain.begin();
    if (after != nullptr) {
        start =
            std::find_if(chain.begin(), chain.end(), [&](const Hook& hook) { return hook.handle == after; });
        if (start == chain.end()) {
            return nullptr;
        }
        ++start;
    }
    const auto found = std::find_if(start, chain.end(), [](const Hook& hook) { return !hook.removed; });
    return found == chain.end() ? nullptr : &*found;
}

LRESULT CallHook(const Hook* hook, int code, WPARAM wParam, LPARAM lParam)
{
    if (hook == nullptr) {
        return 0;
    }
    const HHOOK handle = hook->handle;
    const HOOKPROC proc = hook->proc;
    State().calling.push_back(handle);
    const LRESULT result = proc(code, wParam, lParam);
    State().calling.pop_back();
    DropRemovedHooks();
    return result;
}

}  // namespace

HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId)
{
    if (winsim::detail::FailableCall("SetWindowsHookExA")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (idHook != WH_CALLWNDPROC) {
        SetLastError(ERROR_INVALID_HOOK_FILTER);
        return nullptr;
    }
    if (proc == nullptr) {
        SetLastError(ERROR_INVALID_FILTER_PROC);
        return nullptr;
    }
    if (threadId == 0 && module == nullptr) {
        SetLastError(ERROR_HOOK_NEEDS_HMOD);
        return nullptr;
    }
    if (threadId != 0 && threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Hooks& hooks = State();
    const auto handle = reinterpret_cast<HHOOK>(hooks.nextHandle);
    hooks.nextHandle += 4;
    hooks.chain.insert(hooks.chain.begin(), Hook{handle, proc, false});
    return handle;
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hook)
{
    auto& chain = State().chain;
    const auto found = std::find_if(chain.begin(), chain.end(), [&](const Hook& entry) {
        return entry.handle == hook && !entry.removed;
    });
    if (found == chain.end()) {
        SetLastError(ERROR_INVALID_HOOK_HANDLE);
        return FALSE;
    }
    found->removed = true;
    DropRemovedHooks();
    return TRUE;
}

// The handle passed in is not what decides the next hook: the chain position of the hook
// being called is, as on Windows NT.
LRESULT WINAPI CallNextHookEx(HHOOK /*hook*/, int code, WPARAM wParam, LPARAM lParam)
{
    const auto& calling = State().calling;
    if (calling.empty()) {
        return 0;
    }
    return CallHook(NextHook(calling.back()), code, wParam, lParam);
}

namespace winsim {

int LiveHooks()
{
    const auto& chain = ::State().chain;
    return static_cast<int>(
        std::count_if(chain.begin(), chain.end(), [](const auto& hook) { return !hook.removed; }));
}

namespace detail {

void RunCallWndProcHooks(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const Hook* first = NextHook(nullptr);
    if (first == nullptr) {
        return;
    }
    // The hooks get a copy: what they change does not reach the window procedure.
    CWPSTRUCT copy{lParam, wParam, message, window};
    CallHook(first, HC_ACTION, 0, reinterpret_cast<LPARAM>(&copy));
}

}  // namespace detail
}  // namespace winsim
