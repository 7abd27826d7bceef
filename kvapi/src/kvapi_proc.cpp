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

namespace {

DWORD CopyText(const std::string& text, LPSTR buffer, DWORD size)
{
    if (buffer != nullptr && size > 0) {
        const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
        std::memcpy(buffer, text.data(), count);
        buffer[count] = 0;
    }
    return static_cast<DWORD>(text.size());
}

}  // namespace

extern "C" DWORD WINAPI KVAPIGetLog(LPSTR buffer, DWORD size)
{
    return CopyText(kvapi::TheAdapter().FormatLog(), buffer, size);
}

extern "C" DWORD WINAPI KVAPIGetConfig(LPSTR buffer, DWORD size)
{
    return CopyText(kvapi::FormatConfig(kvapi::TheAdapter().config()), buffer, size);
}

extern "C" BOOL WINAPI KVAPISetMode(DWORD width, DWORD height, DWORD depth, DWORD rate)
{
    kvapi::Adapter& adapter = kvapi::TheAdapter();
    if (depth > 0xFF || rate > 0xFF) {
        return FALSE;
    }
    kvapi::Mode wanted{width, height, static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(rate)};
    if (rate == 0) {
        kvapi::Mode atCurrentRate = wanted;
        atCurrentRate.rate = adapter.config().current.rate;
        if (atCurrentRate.rate != 0 && adapter.SetMode(atCurrentRate)) {
            return TRUE;
        }
    }
    return adapter.SetMode(wanted) ? TRUE : FALSE;
}
