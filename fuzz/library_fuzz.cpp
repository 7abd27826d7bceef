// The resource library as the component reads it: the version record and every text that it
// uses as a format (the label's "uu" size format, the load-error texts that take the path),
// from a library made from the input. The input is text, one item a line:
//
//   record 02 00 02 00 02 00 E8 03 00 00 00 00   the CustomVerInfo bytes (no line: no record)
//   versions 2 2                                 the required and the client version
//   string 31 %u by %u pixels                    a string; \n, \\ and \uHHHH are escapes
//
// Other lines are ignored.
#include <winsim/control.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "library/res_format.h"
#include "library/resource_library.h"
#include "resource_image.h"
#include "scratch_directory.h"

namespace {

using fuzz::Expect;

constexpr char kSystemDirectory[] = "C:\\WINDOWS\\SYSTEM";
constexpr char kComponentPath[] = "C:\\WINDOWS\\SYSTEM\\KVSETTNG.DLL";
constexpr char kLibraryName[] = "KVSettng.RLB";
constexpr std::uint16_t kRtRcdata = 10;
// The label buffers, the message buffers, and sizes at the edges.
constexpr std::uint32_t kOutputSizes[] = {1, 2, 16, 64, 100, 256, 512, 1025};
// Texts the component shows, and the library's own message texts of the shipped record.
constexpr UINT kTextIds[] = {ResBoxCaption, ResSettingsPageTitle, ResNotConfirmedText, ResAboutToApplyText,
                             ResNotSetText, ResHelpAreaText,      ResSizeFormat};

struct LibrarySpec {
    std::optional<std::vector<std::uint8_t>> record;
    std::uint32_t requiredVersion = 2;
    std::uint32_t clientVersion = 2;
    std::vector<std::pair<std::uint16_t, std::u16string>> strings;
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::vector<std::uint8_t> HexBytes(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high >= 0 && low >= 0) {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
            ++i;
        }
    }
    return bytes;
}

std::u16string Unescaped(std::string_view text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c != '\\' || i + 1 == text.size()) {
            out.push_back(c);
        } else if (text[i + 1] == 'n') {
            out.push_back(u'\n');
            ++i;
        } else if (text[i + 1] == 'u' && i + 5 < text.size()) {
            const std::vector<std::uint8_t> code = HexBytes(text.substr(i + 2, 4));
            out.push_back(code.size() == 2 ? static_cast<char16_t>(code[0] << 8 | code[1]) : u'?');
            i += 5;
        } else {
            out.push_back(static_cast<unsigned char>(text[i + 1]));
            ++i;
        }
    }
    return out;
}

LibrarySpec ReadSpec(std::string_view text)
{
    LibrarySpec spec;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "record") {
            spec.record = HexBytes(std::string_view(line).substr(key.size()));
        } else if (key == "versions") {
            words >> spec.requiredVersion >> spec.clientVersion;
        } else if (key == "string") {
            unsigned id = 0;
            if (words >> id && id <= 0xFFFF) {
                std::string rest;
                std::getline(words, rest);
                spec.strings.emplace_back(static_cast<std::uint16_t>(id),
                                          Unescaped(std::string_view(rest).substr(rest.empty() ? 0 : 1)));
            }
        }
    }
    return spec;
}

std::vector<std::uint8_t> BuildLibrary(const LibrarySpec& spec)
{
    fuzz::ResourceImage image;
    for (const auto& [id, text] : spec.strings) {
        image.AddString(id, text);
    }
    if (spec.record) {
        image.AddData(fuzz::ResourceName::Number(kRtRcdata), fuzz::ResourceName::Named(u"CustomVerInfo"),
                      *spec.record);
    }
    return image.Build();
}

// What the caller of FormatResString is promised: a terminated text that fits, empty when
// the format does not fit the slots.
void ExpectFormatted(const char* out, std::uint32_t size, bool formatted)
{
    Expect(std::memchr(out, '\0', size) != nullptr, "the formatted text is terminated inside its buffer");
    Expect(formatted || out[0] == '\0', "a format that does not fit leaves the text empty");
}

void FormatEverywhere(const char* format)
{
    static char out[1025];
    for (std::uint32_t size : kOutputSizes) {
        bool formatted = FormatResString(out, size, format, "uu", 1024u, 768u);
        ExpectFormatted(out, size, formatted);
        Expect(formatted == FormatFits(format, "uu"), "FormatResString formats what FormatFits accepts");
        formatted = FormatResString(out, size, format, "uu", 0xFFFFFFFFu, 0u);
        ExpectFormatted(out, size, formatted);
        formatted = FormatResString(out, size, format, "s", "C:\\WINDOWS\\SYSTEM\\KVSettng.RLB");
        ExpectFormatted(out, size, formatted);
    }
}

// The texts straight from the input, as LoadStringA narrows them.
void FormatTexts(const LibrarySpec& spec)
{
    for (const auto& [id, text] : spec.strings) {
        std::string narrow;
        for (char16_t c : text) {
            if (c == 0) {
                break;
            }
            narrow.push_back(c < 0x100 ? static_cast<char>(c) : '?');
        }
        FormatEverywhere(narrow.c_str());
    }
}

// What the component does with a library it has accepted.
void UseLibrary()
{
    for (UINT id : kTextIds) {
        const char* text = LoadResString(id);
        Expect(text == nullptr || (text[0] != '\0' && std::strlen(text) < kResStringBufferSize),
               "a text is null or a non-empty string inside the shared buffer");
    }
    if (const char* format = LoadResFormat(ResSizeFormat, "uu")) {
        FormatEverywhere(format);
    }
    ShowResMessage(nullptr, ResAboutToApplyText, ResBoxCaption, MB_OKCANCEL);
    const auto& boxes = winsim::MessageBoxes();
    Expect(!boxes.empty() && boxes.back().text.size() < 256 && boxes.back().caption.size() < 100,
           "a library's message fits the message buffers");
}

HMODULE Module()
{
    static const HMODULE module = [] {
        winsim::RegisterModule(kComponentPath, {});
        return LoadLibraryA(kComponentPath);
    }();
    return module;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::ScratchDirectory system(kSystemDirectory);
    const LibrarySpec spec = ReadSpec(std::string_view(reinterpret_cast<const char*>(data), size));
    FormatTexts(spec);

    const std::vector<std::uint8_t> library = BuildLibrary(spec);
    system.Write(kLibraryName, library);
    // Every message box is recorded and answered at once.
    winsim::FailNext(winsim::Fault::MessageBox, -1);
    const bool loaded = LoadResourceLibrary(Module(), kLibraryName, spec.requiredVersion, spec.clientVersion);
    Expect(loaded == (GetResourceLibrary() != nullptr), "a library is kept exactly when it is accepted");
    if (loaded) {
        UseLibrary();
        FreeLibrary(GetResourceLibrary());
    } else {
        const auto& boxes = winsim::MessageBoxes();
        Expect(boxes.size() == 1 && boxes.back().text.size() < 512 && boxes.back().caption.size() < 32,
               "a refused library is reported once, in a message that fits its buffers");
    }
    winsim::ClearFaults();
    winsim::ClearMessageBoxes();
    return 0;
}
