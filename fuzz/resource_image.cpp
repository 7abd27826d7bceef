#include "resource_image.h"

#include <algorithm>

namespace fuzz {
namespace {

constexpr std::uint16_t kRtString = 6;
constexpr std::uint16_t kEnglish = 0x0409;
constexpr std::uint32_t kHighBit = 0x80000000;

constexpr std::uint32_t kNewHeader = 0x40;
constexpr std::uint32_t kOptionalHeader = kNewHeader + 4 + 20;
constexpr std::uint32_t kOptionalSize = 96 + 16 * 8;
constexpr std::uint32_t kSectionTable = kOptionalHeader + kOptionalSize;
constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kSectionRva = 0x1000;

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

class Bytes {
public:
    explicit Bytes(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    void Put16(std::size_t offset, std::uint32_t value)
    {
        Grow(offset + 2);
        bytes_[offset] = static_cast<std::uint8_t>(value);
        bytes_[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    void Put32(std::size_t offset, std::uint32_t value)
    {
        Put16(offset, value & 0xFFFF);
        Put16(offset + 2, value >> 16);
    }
    void PutBytes(std::size_t offset, const std::vector<std::uint8_t>& data)
    {
        Grow(offset + data.size());
        std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    void Grow(std::size_t size)
    {
        if (bytes_.size() < size) {
            bytes_.resize(size);
        }
    }

private:
    std::vector<std::uint8_t>& bytes_;
};

// The tree as it is laid out: directories, then the names, the data entries and the data.
using Level = std::map<ResourceName, std::map<ResourceName, std::vector<std::uint8_t>>>;

std::size_t DirectorySize(std::size_t entries)
{
    return 16 + 8 * entries;
}

// Named entries first, as the loader expects; the map orders numbers (empty name) first.
template <typename Map>
std::vector<typename Map::const_iterator> InTreeOrder(const Map& map)
{
    std::vector<typename Map::const_iterator> order;
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (!it->first.name.empty()) {
            order.push_back(it);
        }
    }
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (it->first.name.empty()) {
            order.push_back(it);
        }
    }
    return order;
}

void WriteDirectoryHeader(Bytes& out, std::size_t at, std::size_t named, std::size_t numbered)
{
    out.Put16(at + 12, static_cast<std::uint32_t>(named));
    out.Put16(at + 14, static_cast<std::uint32_t>(numbered));
}

std::vector<std::uint8_t> BuildTree(const Level& types)
{
    std::vector<std::uint8_t> tree;
    Bytes out(tree);
    std::size_t size = DirectorySize(types.size());
    std::size_t names = 0;
    std::size_t leaves = 0;
    for (const auto& [type, byName] : types) {
        size += DirectorySize(byName.size()) + byName.size() * DirectorySize(1);
        names += type.name.empty() ? 0 : 2 + 2 * type.name.size();
        for (const auto& [name, data] : byName) {
            names += name.name.empty() ? 0 : 2 + 2 * name.name.size();
            ++leaves;
        }
    }
    std::size_t nextDirectory = DirectorySize(types.size());
    std::size_t nextName = size;
    std::size_t nextEntry = AlignUp(static_cast<std::uint32_t>(size + names), 4);
    std::size_t nextData = nextEntry + 16 * leaves;

    auto writeKey = [&](std::size_t entry, const ResourceName& key) {
        if (key.name.empty()) {
            out.Put32(entry, key.id);
            return;
        }
        out.Put32(entry, kHighBit | static_cast<std::uint32_t>(nextName));
        out.Put16(nextName, static_cast<std::uint32_t>(key.name.size()));
        for (std::size_t i = 0; i < key.name.size(); ++i) {
            out.Put16(nextName + 2 + 2 * i, key.name[i]);
        }
        nextName += 2 + 2 * key.name.size();
    };
    auto named = [](const auto& map) {
        return static_cast<std::size_t>(
            std::count_if(map.begin(), map.end(), [](const auto& item) { return !item.first.name.empty(); }));
    };

    WriteDirectoryHeader(out, 0, named(types), types.size() - named(types));
    std::size_t typeEntry = 16;
    for (const auto typeIt : InTreeOrder(types)) {
        const auto& byName = typeIt->second;
        const std::size_t nameDirectory = nextDirectory;
        nextDirectory += DirectorySize(byName.size());
        writeKey(typeEntry, typeIt->first);
        out.Put32(typeEntry + 4, kHighBit | static_cast<std::uint32_t>(nameDirectory));
        typeEntry += 8;

        WriteDirectoryHeader(out, nameDirectory, named(byName), byName.size() - named(byName));
        std::size_t nameEntry = nameDirectory + 16;
        for (const auto nameIt : InTreeOrder(byName)) {
            const std::size_t languageDirectory = nextDirectory;
            nextDirectory += DirectorySize(1);
            writeKey(nameEntry, nameIt->first);
            out.Put32(nameEntry + 4, kHighBit | static_cast<std::uint32_t>(languageDirectory));
            nameEntry += 8;

            WriteDirectoryHeader(out, languageDirectory, 0, 1);
            out.Put32(languageDirectory + 16, kEnglish);
            out.Put32(languageDirectory + 20, static_cast<std::uint32_t>(nextEntry));
            const std::vector<std::uint8_t>& data = nameIt->second;
            out.Put32(nextEntry, kSectionRva + static_cast<std::uint32_t>(nextData));
            out.Put32(nextEntry + 4, static_cast<std::uint32_t>(data.size()));
            nextEntry += 16;
            out.PutBytes(nextData, data);
            nextData = AlignUp(static_cast<std::uint32_t>(nextData + data.size()), 4);
        }
    }
    out.Grow(nextData);
    return tree;
}

// The string tables: sixteen counted strings to a block, block n holding ids 16(n-1) to 16n-1.
void AddStringBlocks(const std::map<std::uint16_t, std::u16string>& strings, Level& types)
{
    std::map<std::uint16_t, std::vector<std::u16string>> blocks;
    for (const auto& [id, text] : strings) {
        auto& block = blocks[static_cast<std::uint16_t>(id / 16 + 1)];
        block.resize(16);
        block[id % 16] = text;
    }
    for (const auto& [number, texts] : blocks) {
        std::vector<std::uint8_t> data;
        Bytes out(data);
        for (const std::u16string& text : texts) {
            const std::size_t at = data.size();
            out.Put16(at, static_cast<std::uint32_t>(text.size()));
            for (std::size_t i = 0; i < text.size(); ++i) {
                out.Put16(at + 2 + 2 * i, text[i]);
            }
        }
        types[ResourceName::Number(kRtString)][ResourceName::Number(number)] = std::move(data);
    }
}

void WriteHeaders(Bytes& out, std::uint32_t treeSize)
{
    const std::uint32_t rawSize = AlignUp(treeSize, kFileAlignment);
    out.Put16(0, 0x5A4D);  // "MZ"
    out.Put32(0x3C, kNewHeader);
    out.Put32(kNewHeader, 0x00004550);  // "PE\0\0"
    out.Put16(kNewHeader + 4, 0x014C);  // i386
    out.Put16(kNewHeader + 6, 1);       // one section
    out.Put16(kNewHeader + 20, kOptionalSize);
    out.Put16(kNewHeader + 22, 0x210E);  // a DLL, 32-bit, stripped
    out.Put16(kOptionalHeader, 0x010B);  // PE32
    out.Put32(kOptionalHeader + 8, rawSize);
    out.Put32(kOptionalHeader + 20, kSectionRva);
    out.Put32(kOptionalHeader + 24, kSectionRva);
    out.Put32(kOptionalHeader + 28, 0x10000000);
    out.Put32(kOptionalHeader + 32, kSectionAlignment);
    out.Put32(kOptionalHeader + 36, kFileAlignment);
    out.Put16(kOptionalHeader + 40, 4);
    out.Put16(kOptionalHeader + 48, 4);
    out.Put32(kOptionalHeader + 56, kSectionRva + AlignUp(treeSize, kSectionAlignment));
    out.Put32(kOptionalHeader + 60, kFileAlignment);
    out.Put16(kOptionalHeader + 68, 2);  // Windows GUI
    out.Put32(kOptionalHeader + 92, 16);
    out.Put32(kOptionalHeader + 96 + 2 * 8, kSectionRva);
    out.Put32(kOptionalHeader + 96 + 2 * 8 + 4, treeSize);
    out.PutBytes(kSectionTable, {'.', 'r', 's', 'r', 'c', 0, 0, 0});
    out.Put32(kSectionTable + 8, treeSize);
    out.Put32(kSectionTable + 12, kSectionRva);
    out.Put32(kSectionTable + 16, rawSize);
    out.Put32(kSectionTable + 20, kFileAlignment);
    out.Put32(kSectionTable + 36, 0x40000040);  // initialised data, readable
    out.Grow(kFileAlignment + rawSize);
}

}  // namespace

ResourceName ResourceName::Named(std::u16string_view name)
{
    ResourceName key;
    for (char16_t c : name) {
        key.name.push_back(c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c);
    }
    return key;
}

void ResourceImage::AddString(std::uint16_t id, std::u16string text)
{
    strings_[id] = std::move(text);
}

void ResourceImage::AddData(const ResourceName& type, const ResourceName& name,
                            std::vector<std::uint8_t> data)
{
    data_[type][name] = std::move(data);
}

std::vector<std::uint8_t> ResourceImage::Build() const
{
    Level types = data_;
    AddStringBlocks(strings_, types);
    const std::vector<std::uint8_t> tree = BuildTree(types);
    std::vector<std::uint8_t> file;
    Bytes out(file);
    WriteHeaders(out, static_cast<std::uint32_t>(tree.size()));
    out.PutBytes(kFileAlignment, tree);
    return file;
}

}  // namespace fuzz
