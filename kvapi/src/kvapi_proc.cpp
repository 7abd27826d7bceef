// The exported entry of KVAPI32.DLL and the adapter it serves.
#include "kvapi/kvapi_proc.h"

#include "kvapi/adapter.h"

#include <algorithm>
#include <cstring>

namespace kvapi {

Adapter& TheAdapter()
{
    static Adapter adapter;
    return adapter;
}

void ResetAdapter(AdapterConfig config)
{
    TheAdapter() = Adapter(std::move(config));
}

}  // namespace kvapi

extern "C" DWORD WINAPI KVAPIProc(DWORD operation, DWORD size, LPVOID block, DWORD, DWORD)
{
    return kvapi::TheAdapter().Call(operation, size, block);
}

extern "C" DWORD WINAPI KVAPIGetLog(LPSTR buffer, DWORD size)
{
    const std::string text = kvapi::TheAdapter().FormatLog();
    if (buffer != nullptr && size > 0) {
        const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
        std::memcpy(buffer, text.data(), count);
        buffer[count] = 0;
    }
    return static_cast<DWORD>(text.size());
}
