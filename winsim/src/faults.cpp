#include "faults.h"

#include <array>
#include <cstddef>

namespace winsim {
namespace {

constexpr std::size_t kFaultKinds = static_cast<std::size_t>(Fault::DialogBox) + 1;

// Remaining failures per operation; negative means every call until cleared.
std::array<int, kFaultKinds> g_pending{};

std::size_t IndexOf(Fault fault)
{
    return static_cast<std::size_t>(fault);
}

}  // namespace

void FailNext(Fault fault, int times)
{
    if (IndexOf(fault) < kFaultKinds) {
        g_pending[IndexOf(fault)] = times;
    }
}

void ClearFaults()
{
    g_pending.fill(0);
}

namespace detail {

bool ConsumeFault(Fault fault)
{
    if (IndexOf(fault) >= kFaultKinds) {
        return false;
    }
    int& pending = g_pending[IndexOf(fault)];
    if (pending == 0) {
        return false;
    }
    if (pending > 0) {
        --pending;
    }
    return true;
}

}  // namespace detail
}  // namespace winsim
