// Resources of modules loaded from disk: finding, loading and sizing them, and strings from
// their string tables.
//
// As on 32-bit Windows, an HRSRC stands for the resource's data entry in the image, the
// HGLOBAL of LoadResource is the address of the data itself (LockResource gives it back
// unchanged, FreeResource has nothing to do), and both are good until the module is freed
// for the last time.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "faults.h"
#include "kernel_resources.h"
#include "pe_image.h"

namespace {

using winsim::detail::ByteReader;
using winsim::detail::MappedImage;
using winsim::detail::PeImage;
using winsim::detail::ResourceData;
using winsim::detail::ResourceKey;
using winsim::detail::ResourceLookup;

// Code page 1252 from 0x80 to 0x9F; the five bytes it leaves undefined stand for the
// control characters of the same value.
constexpr std::array<char16_t, 32> kAnsiHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t FromAnsi(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x80 && byte <= 0x9F) ? kAnsiHighControls[byte - 0x80] : byte;
}

char ToAnsi(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    const auto found = std::find(kAnsiHighControls.begin(), kAnsiHighControls.end(), c);
    return found == kAnsiHighControls.end() ? '?'
                                            : static_cast<char>(0x80 + (found - kAnsiHighControls.begin()));
}

// Upper case as the system folds resource names, for what code page 1252 can spell.
char16_t Upper(char16_t c)
{
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<char16_t>(c - 0x20);
    }
    switch (c) {
        case 0x00FF:
            return 0x0178;
        case 0x0153:
            return 0x0152;
        case 0x0161:
            return 0x0160;
        case 0x017E:
            return 0x017D;
        default:
            return c;
    }
}

// A number, "#" and decimal digits, or a name that the resource tree holds in upper case.
std::optional<ResourceKey> KeyOf(LPCSTR nameOrId)
{
    ResourceKey key;
    if (IS_INTRESOURCE(nameOrId)) {
        key.id = LOWORD(nameOrId);
        return key;
    }
    if (nameOrId[0] == '#') {
        std::uint32_t value = 0;
        for (const char* digit = nameOrId + 1; *digit >= '0' && *digit <= '9'; ++digit) {
            value = value * 10 + static_cast<std::uint32_t>(*digit - '0');
            if (value > 0xFFFF) {
                return std::nullopt;
            }
        }
        key.id = static_cast<std::uint16_t>(value);
        return key;
    }
    key.isId = false;
    for (const char* c = nameOrId; *c != '\0'; ++c) {
        key.name.push_back(Upper(FromAnsi(*c)));
    }
    return key;
}

const PeImage* ImageOf(HMODULE module)
{
    if (const PeImage* image = MappedImage(module)) {
        return image;
    }
    const bool known = module == nullptr || winsim::IsModuleLoaded(module);
    SetLastError(known ? ERROR_RESOURCE_DATA_NOT_FOUND : ERROR_INVALID_HANDLE);
    return nullptr;
}

DWORD LookupError(ResourceLookup lookup)
{
    switch (lookup) {
        case ResourceLookup::NoResources:
            return ERROR_RESOURCE_DATA_NOT_FOUND;
        case ResourceLookup::TypeNotFound:
            return ERROR_RESOURCE_TYPE_NOT_FOUND;
        case ResourceLookup::NameNotFound:
            return ERROR_RESOURCE_NAME_NOT_FOUND;
        case ResourceLookup::LanguageNotFound:
            return ERROR_RESOURCE_LANG_NOT_FOUND;
        case ResourceLookup::Corrupt:
        case ResourceLookup::Found:
            break;
    }
    return ERROR_BAD_EXE_FORMAT;
}

HRSRC HandleOf(const PeImage& image, const ResourceData& data)
{
    const std::byte* entry = image.Bytes().data() + data.entryOffset;
    return reinterpret_cast<HRSRC>(const_cast<std::byte*>(entry));
}

// The data entry a handle stands for, when it lies in the module's image.
std::optional<ResourceData> DataOf(HMODULE module, HRSRC resource)
{
    const PeImage* image = ImageOf(module);
    if (image == nullptr) {
        return std::nullopt;
    }
    const auto base = reinterpret_cast<std::uintptr_t>(image->Bytes().data());
    const auto address = reinterpret_cast<std::uintptr_t>(resource);
    std::optional<ResourceData> data;
    if (address >= base && address - base < image->Bytes().size()) {
        data = image->DataEntryAt(address - base);
    }
    if (!data) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return data;
}

// String `index` of a string-table block: counted UTF-16 strings, sixteen to a block. Null
// when the block ends before the counts say it does.
std::optional<std::u16string> StringInBlock(std::span<const std::byte> block, unsigned index)
{
    const ByteReader reader(block);
    std::uint64_t offset = 0;
    for (unsigned i = 0; i < index; ++i) {
        const auto length = reader.U16(offset);
        if (!length) {
            return std::nullopt;
        }
        offset += 2 + *length * 2ull;
    }
    const auto length = reader.U16(offset);
    if (!length || !reader.Contains(offset + 2, *length * 2ull)) {
        return std::nullopt;
    }
    std::u16string text;
    for (std::uint64_t i = 0; i < *length; ++i) {
        text.push_back(static_cast<char16_t>(*reader.U16(offset + 2 + i * 2)));
    }
    return text;
}

}  // namespace

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type)
{
    if (winsim::detail::FailableCall("FindResourceA")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const PeImage* image = ImageOf(module);
    if (image == nullptr) {
        return nullptr;
    }
    const auto typeKey = KeyOf(type);
    const auto nameKey = KeyOf(name);
    if (!typeKey || !nameKey) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ResourceData found;
    const ResourceLookup lookup = image->Find(*typeKey, *nameKey, found);
    if (lookup != ResourceLookup::Found) {
        SetLastError(LookupError(lookup));
        return nullptr;
    }
    return HandleOf(*image, found);
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource)
{
    const bool failing = winsim::detail::FailableCall("LoadResource");
    if (resource == nullptr) {
        return nullptr;
    }
    const auto data = DataOf(module, resource);
    if (!data) {
        return nullptr;
    }
    if (failing || winsim::detail::ConsumeFault(winsim::Fault::LoadResource)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const std::byte* bytes = MappedImage(module)->Bytes().data() + data->dataOffset;
    return const_cast<std::byte*>(bytes);
}

LPVOID WINAPI LockResource(HGLOBAL resourceData)
{
    if (winsim::detail::FailableCall("LockResource")) {
        return nullptr;
    }
    return resourceData;
}

BOOL WINAPI FreeResource(HGLOBAL /*resourceData*/)
{
    return FALSE;
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource)
{
    if (winsim::detail::FailableCall("SizeofResource")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (resource == nullptr) {
        return 0;
    }
    const auto data = DataOf(module, resource);
    return data ? data->size : 0;
}

// A size of 0 answers -1 and writes nothing, as Wine and later Windows do (Windows 9x
// answers 0); so does a negative size, which Windows would take for a very large one, and a
// null buffer answers 0 where Windows would write through it. Otherwise at most size - 1
// characters and a terminator, and the count copied; a string missing, or a block too short
// for its counts, gives an empty string and 0.
int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferSize)
{
    const bool failing = winsim::detail::FailableCall("LoadStringA");
    if (bufferSize <= 0) {
        return -1;
    }
    if (buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    buffer[0] = '\0';
    if (failing) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const WORD block = static_cast<WORD>((LOWORD(id) >> 4) + 1);
    const auto bytes = winsim::detail::ResourceBytes(instance, MAKEINTRESOURCEA(block), RT_STRING);
    if (!bytes) {
        return 0;
    }
    const auto text = StringInBlock(*bytes, id & 0xF);
    if (!text) {
        return 0;
    }
    const std::size_t count = std::min<std::size_t>(text->size(), static_cast<std::size_t>(bufferSize) - 1);
    std::transform(text->begin(), text->begin() + static_cast<std::ptrdiff_t>(count), buffer, ToAnsi);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

namespace winsim::detail {

std::optional<std::span<const std::byte>> ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type)
{
    const HRSRC resource = FindResourceA(module, name, type);
    if (resource == nullptr) {
        return std::nullopt;
    }
    const HGLOBAL data = LoadResource(module, resource);
    if (data == nullptr) {
        return std::nullopt;
    }
    return std::span(static_cast<const std::byte*>(LockResource(data)), SizeofResource(module, resource));
}

}  // namespace winsim::detail
