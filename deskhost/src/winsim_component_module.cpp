#include "winsim_component_module.h"

#include "kvsettng/exports.h"

#include <winsim/control.h>

namespace deskhost {
namespace {

template <typename Function>
FARPROC AsFarProc(Function* function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

}  // namespace

HMODULE RegisterDisplayExtensionModule(std::string_view path)
{
    return winsim::RegisterModule(path,
                                  {{"DllGetClassObject", AsFarProc(&DllGetClassObject)},
                                   {"DllCanUnloadNow", AsFarProc(&DllCanUnloadNow)}},
                                  &DllMain);
}

}  // namespace deskhost
