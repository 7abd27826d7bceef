#include "device_contexts.h"

#include <algorithm>
#include <cstdint>
#include <map>

namespace winsim::detail {
namespace {

struct Table {
    std::map<std::uintptr_t, DeviceContext> entries;
    std::uintptr_t next = 0x01000004;
};

Table& State()
{
    static auto* table = new Table;
    return *table;
}

// Handles are never reused, so that a released DC stays invalid.
constexpr std::uintptr_t kHandleSpacing = 4;

}  // namespace

HDC CreateDeviceContext(DcKind kind, HWND window)
{
    Table& table = State();
    const std::uintptr_t handle = table.next;
    table.next += kHandleSpacing;
    table.entries.emplace(handle, DeviceContext{kind, window});
    return reinterpret_cast<HDC>(handle);
}

DeviceContext* FindDeviceContext(HDC dc)
{
    auto& entries = State().entries;
    auto found = entries.find(reinterpret_cast<std::uintptr_t>(dc));
    return found == entries.end() ? nullptr : &found->second;
}

bool DestroyDeviceContext(HDC dc)
{
    return State().entries.erase(reinterpret_cast<std::uintptr_t>(dc)) != 0;
}

int LiveDeviceContexts(DcKind kind)
{
    const auto& entries = State().entries;
    return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                          [&](const auto& entry) { return entry.second.kind == kind; }));
}

int LiveDeviceContexts()
{
    return static_cast<int>(State().entries.size());
}

}  // namespace winsim::detail
