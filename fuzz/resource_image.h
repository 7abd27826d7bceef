// A resource-only 32-bit PE file made in memory, laid out as the resource compiler and linker
// lay out KVSettng.RLB: one section holding the resource tree, every resource in English.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fuzz {

// A resource type or name: a number, or (when `name` is not empty) a name, which the tree
// holds in upper case.
struct ResourceName {
    std::uint16_t id = 0;
    std::u16string name;

    static ResourceName Number(std::uint16_t id) { return ResourceName{id, {}}; }
    static ResourceName Named(std::u16string_view name);
    friend auto operator<=>(const ResourceName&, const ResourceName&) = default;
};

class ResourceImage {
public:
    // String `id` of the string tables.
    void AddString(std::uint16_t id, std::u16string text);
    void AddData(const ResourceName& type, const ResourceName& name, std::vector<std::uint8_t> data);
    std::vector<std::uint8_t> Build() const;

private:
    std::map<std::uint16_t, std::u16string> strings_;
    std::map<ResourceName, std::map<ResourceName, std::vector<std::uint8_t>>> data_;
};

}  // namespace fuzz
