// Per-process kernel state: the last error, the thread and the error mode.
#include <winsim/control.h>
#include <winsim/win32.h>

namespace {

DWORD g_lastError = ERROR_SUCCESS;
UINT g_errorMode = 0;
int g_setErrorModeCalls = 0;

// winsim runs the component on one thread; its id is fixed for the whole process.
constexpr DWORD kUiThreadId = 0x0000010C;

}  // namespace

DWORD WINAPI GetLastError()
{
    return g_lastError;
}

void WINAPI SetLastError(DWORD error)
{
    g_lastError = error;
}

DWORD WINAPI GetCurrentThreadId()
{
    return kUiThreadId;
}

UINT WINAPI SetErrorMode(UINT mode)
{
    ++g_setErrorModeCalls;
    const UINT previous = g_errorMode;
    g_errorMode = mode;
    return previous;
}

namespace winsim {

int SetErrorModeCalls()
{
    return g_setErrorModeCalls;
}

UINT CurrentErrorMode()
{
    return g_errorMode;
}

}  // namespace winsim
