#include "faults.h"

#include <winsim/component_calls.h>

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

namespace winsim {
namespace {

constexpr std::size_t kFaultKinds = static_cast<std::size_t>(Fault::DialogBox) + 1;

struct Faults {
    // Remaining failures per operation; negative means every call until cleared.
    std::array<int, kFaultKinds> pending{};
    // The component's failable calls in order, by function name, and the one to fail (0: none).
    std::vector<const char*> calls;
    int failingCall = 0;
    bool componentCalls = false;
};

Faults& State()
{
    static auto* faults = new Faults;
    return *faults;
}

std::size_t IndexOf(Fault fault)
{
    return static_cast<std::size_t>(fault);
}

}  // namespace

void FailNext(Fault fault, int times)
{
    if (IndexOf(fault) < kFaultKinds) {
        State().pending[IndexOf(fault)] = times;
    }
}

void ClearFaults()
{
    State().pending.fill(0);
    State().failingCall = 0;
}

void FailCallNumber(int number)
{
    State().failingCall = number > 0 ? number : 0;
}

int FailableCallsSoFar()
{
    return static_cast<int>(State().calls.size());
}

std::string_view FailableCallName(int number)
{
    const auto& calls = State().calls;
    if (number < 1 || static_cast<std::size_t>(number) > calls.size()) {
        return {};
    }
    return calls[static_cast<std::size_t>(number) - 1];
}

namespace detail {

bool ConsumeFault(Fault fault)
{
    if (IndexOf(fault) >= kFaultKinds) {
        return false;
    }
    int& pending = State().pending[IndexOf(fault)];
    if (pending == 0) {
        return false;
    }
    if (pending > 0) {
        --pending;
    }
    return true;
}

void MarkComponentCall()
{
    State().componentCalls = true;
}

bool FailableCall(const char* function)
{
    Faults& faults = State();
    if (!std::exchange(faults.componentCalls, false)) {
        return false;
    }
    faults.calls.push_back(function);
    return static_cast<int>(faults.calls.size()) == faults.failingCall;
}

}  // namespace detail
}  // namespace winsim
