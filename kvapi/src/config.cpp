// The adapter's configuration: the default adapter, and the text form read from
// KVAPI32.INI and written by FormatConfig.
//
// One `key = value` a line; `#` outside a quoted string starts a comment; blank lines and
// spaces around tokens are ignored; keys are not case-sensitive. Numbers are decimal, or
// hexadecimal with 0x where a lone number is expected. Keys not given keep the value of the
// default adapter.
//
//   interface_id = 360                  handshake InterfaceId
//   function_count = 34                 highest function number the capability map covers
//   functions = 1 2 3 4 5 6 8 9 10 11   functions the capability map announces
//   capability_bytes = 3F 03 00 02 02   the map's bytes verbatim (hex); when absent, built
//                                       from `functions`
//   probe_answer = 1                    what Probe returns
//   current = 1024x768x16@75            mode in force: width x height x depth @ rate
//   viewport = 800x600                  visible screen area
//   origin = 0,0                        its top-left corner on the desktop
//   viewport_mode = 0                   last value of the viewport-mode request
//   mode_count_claim = 300              count the mode table claims (absent: the true one)
//   viewport_count_claim = 0            count every viewport table claims (absent: the true one)
//
// Keys that build a list add one element a line; the first such line replaces the default
// list, and a line with nothing after `=` adds nothing (`mode =` alone gives an empty table):
//
//   mode = 640x480x8@60                                 a mode-table record, in table order
//   viewport_table = 1024x768x16: 640x480 800x600       screen areas of one desktop and depth
//   viewport_table = 1024x768x16 [0x12 0x34]: 640x480   ... with the records' two extra bytes
//   persisted = "Default" "KVDrvViewportSize" "vpd0,800,600"    section, name, text; strings
//                                       take the escapes \" \\ \n \t \xHH
//   status_override = 11 0x8003         answer this status word for this function number
#include "kvapi/adapter.h"

#include "hex_text.h"
#include "quoted_text.h"

#include <algorithm>
#include <set>

namespace kvapi {
namespace {

// ---- the default adapter ----

struct Desktop {
    std::uint32_t width;
    std::uint32_t height;
    std::vector<std::uint8_t> rates;
};

const std::vector<Desktop>& StandardDesktops()
{
    static const std::vector<Desktop> desktops = {
        {640, 480, {60, 72, 75, 85}}, {800, 600, {60, 72, 75, 85}}, {1024, 768, {60, 70, 75, 85}},
        {1152, 864, {60, 75, 85}},    {1280, 1024, {60, 75}},       {1600, 1200, {60}},
    };
    return desktops;
}

constexpr std::uint8_t kDepths[] = {8, 16, 32};

// ---- reading ----

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool AtEnd()
    {
        SkipSpace();
        return text_.empty();
    }
    bool Take(char c)
    {
        SkipSpace();
        if (!text_.empty() && text_.front() == c) {
            text_.remove_prefix(1);
            return true;
        }
        return false;
    }
    // A decimal number, or with `hex` also 0x-prefixed hexadecimal, no larger than `max`.
    std::optional<std::uint32_t> Number(std::uint32_t max, bool hex = false)
    {
        SkipSpace();
        int base = 10;
        std::string_view digits = text_;
        if (hex && digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            base = 16;
            digits.remove_prefix(2);
        }
        return Digits(digits, base, max);
    }
    // Hexadecimal digits with or without 0x, as capability bytes are written.
    std::optional<std::uint32_t> HexNumber(std::uint32_t max)
    {
        SkipSpace();
        std::string_view digits = text_;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
        }
        return Digits(digits, 16, max);
    }
    std::optional<std::string> Quoted()
    {
        if (!Take('"')) {
            return std::nullopt;
        }
        std::string out;
        while (!text_.empty()) {
            char c = text_.front();
            text_.remove_prefix(1);
            if (c == '"') {
                return out;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (text_.empty()) {
                return std::nullopt;
            }
            char e = text_.front();
            text_.remove_prefix(1);
            if (e == 'n') {
                out += '\n';
            } else if (e == 't') {
                out += '\t';
            } else if (e == '"' || e == '\\') {
                out += e;
            } else if (e == 'x') {
                std::optional<std::uint32_t> value = HexPair();
                if (!value) {
                    return std::nullopt;
                }
                out += static_cast<char>(*value);
            } else {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }
    // What is left, for error messages.
    std::string Rest()
    {
        SkipSpace();
        return text_.empty() ? std::string("end of line") : "'" + std::string(text_) + "'";
    }

private:
    void SkipSpace()
    {
        while (!text_.empty() && (text_.front() == ' ' || text_.front() == '\t')) {
            text_.remove_prefix(1);
        }
    }
    std::optional<std::uint32_t> Digits(std::string_view digits, int base, std::uint32_t max)
    {
        std::uint64_t value = 0;
        std::size_t count = 0;
        for (; count < digits.size(); ++count) {
            const int digit = DigitValue(digits[count], base);
            if (digit < 0) {
                break;
            }
            value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
            if (value > max) {
                return std::nullopt;
            }
        }
        if (count == 0) {
            return std::nullopt;
        }
        text_ = digits.substr(count);
        return static_cast<std::uint32_t>(value);
    }
    std::optional<std::uint32_t> HexPair()
    {
        if (text_.size() < 2 || DigitValue(text_[0], 16) < 0 || DigitValue(text_[1], 16) < 0) {
            return std::nullopt;
        }
        const std::uint32_t value =
            static_cast<std::uint32_t>(DigitValue(text_[0], 16) * 16 + DigitValue(text_[1], 16));
        text_.remove_prefix(2);
        return value;
    }
    static int DigitValue(char c, int base)
    {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        return digit < base ? digit : -1;
    }

    std::string_view text_;
};

constexpr std::uint32_t kU32Max = 0xFFFFFFFF;
constexpr std::uint32_t kU8Max = 0xFF;

std::optional<Size> ReadSize(Scanner& in)
{
    const std::optional<std::uint32_t> width = in.Number(kU32Max);
    if (!width || !in.Take('x')) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> height = in.Number(kU32Max);
    if (!height) {
        return std::nullopt;
    }
    return Size{*width, *height};
}

// WxHxD, and with `withRate` @R.
std::optional<Mode> ReadMode(Scanner& in, bool withRate)
{
    const std::optional<Size> size = ReadSize(in);
    if (!size || !in.Take('x')) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> depth = in.Number(kU8Max);
    if (!depth) {
        return std::nullopt;
    }
    Mode mode{size->width, size->height, static_cast<std::uint8_t>(*depth), 0};
    if (withRate) {
        const std::optional<std::uint32_t> rate = in.Take('@') ? in.Number(kU8Max) : std::nullopt;
        if (!rate) {
            return std::nullopt;
        }
        mode.rate = static_cast<std::uint8_t>(*rate);
    }
    return mode;
}

// Each reader takes the value of one line; it returns an empty string on success, else what
// was expected.
using Reader = std::string (*)(Scanner& in, AdapterConfig& config);

std::string ReadU32Into(Scanner& in, std::uint32_t* field)
{
    const std::optional<std::uint32_t> value = in.Number(kU32Max, true);
    if (!value) {
        return "a number from 0 to 4294967295";
    }
    *field = *value;
    return {};
}

std::string ReadClaim(Scanner& in, std::optional<std::uint32_t>* field)
{
    std::uint32_t value = 0;
    std::string expected = ReadU32Into(in, &value);
    if (expected.empty()) {
        *field = value;
    }
    return expected;
}

std::string ReadFunctions(Scanner& in, AdapterConfig& config)
{
    config.functions.clear();
    while (!in.AtEnd()) {
        const std::optional<std::uint32_t> function = in.Number(0x7FFFFFFF, true);
        if (!function) {
            return "function numbers";
        }
        config.functions.push_back(static_cast<int>(*function));
    }
    return {};
}

std::string ReadCapabilityBytes(Scanner& in, AdapterConfig& config)
{
    std::vector<std::uint8_t> bytes;
    while (!in.AtEnd()) {
        const std::optional<std::uint32_t> byte = in.HexNumber(kU8Max);
        if (!byte) {
            return "hexadecimal bytes (00 to FF)";
        }
        bytes.push_back(static_cast<std::uint8_t>(*byte));
    }
    config.capabilityBytes = std::move(bytes);
    return {};
}

std::string ReadCurrent(Scanner& in, AdapterConfig& config)
{
    const std::optional<Mode> mode = ReadMode(in, true);
    if (!mode) {
        return "a mode WIDTHxHEIGHTxDEPTH@RATE";
    }
    config.current = *mode;
    return {};
}

std::string ReadViewport(Scanner& in, AdapterConfig& config)
{
    const std::optional<Size> size = ReadSize(in);
    if (!size) {
        return "a size WIDTHxHEIGHT";
    }
    config.viewport = *size;
    return {};
}

std::string ReadOrigin(Scanner& in, AdapterConfig& config)
{
    const std::optional<std::uint32_t> x = in.Number(kU32Max);
    const std::optional<std::uint32_t> y = x && in.Take(',') ? in.Number(kU32Max) : std::nullopt;
    if (!y) {
        return "an origin X,Y";
    }
    config.origin = Point{*x, *y};
    return {};
}

std::string ReadModeLine(Scanner& in, AdapterConfig& config)
{
    const std::optional<Mode> mode = ReadMode(in, true);
    if (!mode) {
        return "a mode WIDTHxHEIGHTxDEPTH@RATE";
    }
    config.modes.push_back(*mode);
    return {};
}

std::string ReadViewportTable(Scanner& in, AdapterConfig& config)
{
    const std::optional<Mode> desktop = ReadMode(in, false);
    if (!desktop) {
        return "a desktop WIDTHxHEIGHTxDEPTH";
    }
    ViewportTable table;
    table.width = desktop->width;
    table.height = desktop->height;
    table.depth = desktop->depth;
    if (in.Take('[')) {
        for (std::uint8_t& byte : table.trailing) {
            const std::optional<std::uint32_t> value = in.Number(kU8Max, true);
            if (!value) {
                return "two record bytes in [ ]";
            }
            byte = static_cast<std::uint8_t>(*value);
        }
        if (!in.Take(']')) {
            return "']'";
        }
    }
    if (!in.Take(':')) {
        return "':' after the desktop";
    }
    while (!in.AtEnd()) {
        const std::optional<Size> size = ReadSize(in);
        if (!size) {
            return "screen-area sizes WIDTHxHEIGHT";
        }
        table.sizes.push_back(*size);
    }
    config.viewports.push_back(std::move(table));
    return {};
}

std::string ReadPersisted(Scanner& in, AdapterConfig& config)
{
    std::optional<std::string> section = in.Quoted();
    std::optional<std::string> name = section ? in.Quoted() : std::nullopt;
    std::optional<std::string> text = name ? in.Quoted() : std::nullopt;
    if (!text) {
        return "three quoted strings: section, value name, value text";
    }
    config.persisted[{std::move(*section), std::move(*name)}] = std::move(*text);
    return {};
}

std::string ReadStatusOverride(Scanner& in, AdapterConfig& config)
{
    const std::optional<std::uint32_t> function = in.Number(kU32Max, true);
    const std::optional<std::uint32_t> status = function ? in.Number(kU32Max, true) : std::nullopt;
    if (!status) {
        return "a function number and a status word";
    }
    config.statusOverride[*function] = *status;
    return {};
}

struct Key {
    const char* name;
    Reader read;
    void (*clear)(AdapterConfig&);  // set for the keys that build a list
};

// Built at compile time: KVAPI32.DLL has no runtime that would run a constructor at load.
constinit const Key kKeys[] = {
    {"interface_id", [](Scanner& in, AdapterConfig& c) { return ReadU32Into(in, &c.interfaceId); }, nullptr},
    {"function_count", [](Scanner& in, AdapterConfig& c) { return ReadU32Into(in, &c.functionCount); },
     nullptr},
    {"functions", ReadFunctions, nullptr},
    {"capability_bytes", ReadCapabilityBytes, nullptr},
    {"probe_answer", [](Scanner& in, AdapterConfig& c) { return ReadU32Into(in, &c.probeAnswer); }, nullptr},
    {"current", ReadCurrent, nullptr},
    {"viewport", ReadViewport, nullptr},
    {"origin", ReadOrigin, nullptr},
    {"viewport_mode", [](Scanner& in, AdapterConfig& c) { return ReadU32Into(in, &c.viewportMode); },
     nullptr},
    {"mode_count_claim", [](Scanner& in, AdapterConfig& c) { return ReadClaim(in, &c.modeCountClaim); },
     nullptr},
    {"viewport_count_claim",
     [](Scanner& in, AdapterConfig& c) { return ReadClaim(in, &c.viewportCountClaim); }, nullptr},
    {"mode", ReadModeLine, [](AdapterConfig& c) { c.modes.clear(); }},
    {"viewport_table", ReadViewportTable, [](AdapterConfig& c) { c.viewports.clear(); }},
    {"persisted", ReadPersisted, [](AdapterConfig& c) { c.persisted.clear(); }},
    {"status_override", ReadStatusOverride, [](AdapterConfig& c) { c.statusOverride.clear(); }},
};

// Space and tab, and the line-ending and page characters, as in the C locale.
bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char ToLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The line without its comment: `#` counts only outside a quoted string.
std::string_view WithoutComment(std::string_view line)
{
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (quoted && line[i] == '\\') {
            ++i;
        } else if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == '#' && !quoted) {
            return line.substr(0, i);
        }
    }
    return line;
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), ToLower);
    return out;
}

// ---- writing ----

std::string SizeText(const Size& size)
{
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

std::string ModeText(const Mode& mode)
{
    return std::to_string(mode.width) + "x" + std::to_string(mode.height) + "x" + std::to_string(mode.depth) +
           "@" + std::to_string(mode.rate);
}

}  // namespace

AdapterConfig DefaultConfig()
{
    AdapterConfig config;
    config.interfaceId = 360;
    config.functionCount = 34;
    config.functions = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 26, 28, 34};
    for (const Desktop& desktop : StandardDesktops()) {
        for (std::uint8_t depth : kDepths) {
            for (std::uint8_t rate : desktop.rates) {
                config.modes.push_back(Mode{desktop.width, desktop.height, depth, rate});
            }
            ViewportTable table;
            table.width = desktop.width;
            table.height = desktop.height;
            table.depth = depth;
            for (const Desktop& screen : StandardDesktops()) {
                if (screen.width <= desktop.width && screen.height <= desktop.height) {
                    table.sizes.push_back(Size{screen.width, screen.height});
                }
            }
            config.viewports.push_back(std::move(table));
        }
    }
    config.current = Mode{1024, 768, 16, 75};
    config.viewport = Size{800, 600};
    config.origin = Point{0, 0};
    return config;
}

std::optional<AdapterConfig> ParseConfig(std::string_view text, std::string* error)
{
    AdapterConfig config = DefaultConfig();
    std::set<std::string> seen;
    int lineNumber = 0;
    auto fail = [&](const std::string& message) -> std::optional<AdapterConfig> {
        if (error != nullptr) {
            *error = "line " + std::to_string(lineNumber) + ": " + message;
        }
        return std::nullopt;
    };
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;

        line = Trim(WithoutComment(line));
        if (line.empty()) {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            return fail("expected 'key = value', found '" + std::string(line) + "'");
        }
        const std::string name = Lower(Trim(line.substr(0, equals)));
        const auto key =
            std::find_if(std::begin(kKeys), std::end(kKeys), [&](const Key& k) { return name == k.name; });
        if (key == std::end(kKeys)) {
            return fail("unknown key '" + name + "'");
        }
        const bool first = seen.insert(name).second;
        if (key->clear == nullptr && !first) {
            return fail("'" + name + "' is given twice");
        }
        if (key->clear != nullptr && first) {
            key->clear(config);
        }
        Scanner in(line.substr(equals + 1));
        if (key->clear != nullptr && in.AtEnd()) {
            continue;
        }
        const std::string expected = key->read(in, config);
        if (!expected.empty()) {
            return fail(name + ": expected " + expected + ", found " + in.Rest());
        }
        if (!in.AtEnd()) {
            return fail(name + ": unexpected " + in.Rest());
        }
    }
    return config;
}

std::string FormatConfig(const AdapterConfig& config)
{
    std::string out = "# KVAPI32 stand-in adapter\n";
    auto line = [&out](std::string_view key, const std::string& value) {
        out += key;
        out += value.empty() ? " =\n" : " = " + value + "\n";
    };
    line("interface_id", std::to_string(config.interfaceId));
    line("function_count", std::to_string(config.functionCount));
    std::string functions;
    for (int function : config.functions) {
        functions += (functions.empty() ? "" : " ") + std::to_string(function);
    }
    line("functions", functions);
    if (config.capabilityBytes) {
        std::string bytes;
        for (std::uint8_t byte : *config.capabilityBytes) {
            bytes += (bytes.empty() ? "" : " ") + HexDigits(byte, 2);
        }
        line("capability_bytes", bytes);
    }
    line("probe_answer", std::to_string(config.probeAnswer));
    line("current", ModeText(config.current));
    line("viewport", SizeText(config.viewport));
    line("origin", std::to_string(config.origin.x) + "," + std::to_string(config.origin.y));
    line("viewport_mode", std::to_string(config.viewportMode));
    if (config.modeCountClaim) {
        line("mode_count_claim", std::to_string(*config.modeCountClaim));
    }
    if (config.viewportCountClaim) {
        line("viewport_count_claim", std::to_string(*config.viewportCountClaim));
    }

    if (config.modes.empty()) {
        line("mode", "");
    }
    for (const Mode& mode : config.modes) {
        line("mode", ModeText(mode));
    }
    if (config.viewports.empty()) {
        line("viewport_table", "");
    }
    for (const ViewportTable& table : config.viewports) {
        std::string value = std::to_string(table.width) + "x" + std::to_string(table.height) + "x" +
                            std::to_string(table.depth);
        if (table.trailing[0] != 0 || table.trailing[1] != 0) {
            value += " [" + std::to_string(table.trailing[0]) + " " + std::to_string(table.trailing[1]) + "]";
        }
        value += ":";
        for (const Size& size : table.sizes) {
            value += " " + SizeText(size);
        }
        line("viewport_table", value);
    }
    if (config.persisted.empty()) {
        line("persisted", "");
    }
    for (const auto& [key, text] : config.persisted) {
        line("persisted", QuotedText(key.first) + " " + QuotedText(key.second) + " " + QuotedText(text));
    }
    if (config.statusOverride.empty()) {
        line("status_override", "");
    }
    for (const auto& [function, status] : config.statusOverride) {
        line("status_override", std::to_string(function) + " " + HexWord(status));
    }
    return out;
}

}  // namespace kvapi
