// The stand-in driver inside winsim: KVAPI32.DLL as a registered module, and winsim's display
// following the adapter's mode and screen area.
#include "kvapi/winsim_glue.h"

#include "kvapi/kvapi_proc.h"

#include <winsim/control.h>

#include <string>

namespace kvapi {
namespace {

template <typename Function>
FARPROC AsFarProc(Function* function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

void ShowOnWinsim(const Mode& desktop, const Size& screen)
{
    winsim::SetDisplayMode(winsim::DisplayMode{
        static_cast<int>(desktop.width), static_cast<int>(desktop.height), desktop.depth, desktop.rate});
    winsim::SetScreenSize(static_cast<int>(screen.width), static_cast<int>(screen.height));
}

}  // namespace

HMODULE InstallInWinsim(std::string_view directory, AdapterConfig config)
{
    std::string path(directory);
    if (!path.empty() && path.back() != '\\') {
        path += '\\';
    }
    path += "KVAPI32.DLL";
    const HMODULE module = winsim::RegisterModule(
        path, {{"KVAPIProc", AsFarProc(&KVAPIProc)},
               {"KVAPIGetLog", AsFarProc(&KVAPIGetLog)},
               {"KVAPISetMode", AsFarProc(&KVAPISetMode)}});

    ResetAdapter(std::move(config));
    Adapter& adapter = TheAdapter();
    ShowOnWinsim(adapter.config().current, adapter.config().viewport);
    adapter.SetDisplayListener(ShowOnWinsim);
    return module;
}

}  // namespace kvapi
