// wsprintfA and wvsprintfA: the Win32 formatter, with its own conversions (no floating
// point) and its limit of 1024 bytes including the terminator.
#include <winsim/win32.h>

#include <cstddef>
#include <cstdint>

namespace {

// At most this many characters are written, then the terminator.
constexpr std::size_t kMaxOutput = 1023;
// Widths and precisions beyond the whole output change nothing.
constexpr unsigned kFieldLimit = 4096;

enum class Type { Unknown, Char, WideChar, String, WideString, Signed, Unsigned, Hex };

struct Spec {
    bool leftAlign = false;
    bool hexPrefix = false;
    bool zeroPad = false;
    bool isLong = false;
    bool isShort = false;
    bool isWide = false;
    bool is64 = false;
    bool pointerSized = false;
    bool upperHex = false;
    unsigned width = 0;
    unsigned precision = 0;  // 0: none given (so "%.0s" prints the whole string)
    Type type = Type::Unknown;
};

class Output {
public:
    explicit Output(char* buffer) : buffer_(buffer) {}
    bool Full() const { return length_ >= kMaxOutput; }
    std::size_t Length() const { return length_; }
    void Put(char c)
    {
        if (!Full()) {
            buffer_[length_++] = c;
        }
    }
    void Repeat(char c, unsigned count)
    {
        for (unsigned i = 0; i < count && !Full(); ++i) {
            Put(c);
        }
    }
    void Terminate() { buffer_[length_] = '\0'; }

private:
    char* buffer_;
    std::size_t length_ = 0;
};

unsigned ReadNumber(const char*& p)
{
    unsigned value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        value = value > kFieldLimit ? kFieldLimit : value;
        ++p;
    }
    return value;
}

void ReadSizePrefix(const char*& p, Spec& spec)
{
    if (*p == 'l') {
        spec.isLong = true;
        ++p;
    } else if (*p == 'h') {
        spec.isShort = true;
        ++p;
    } else if (*p == 'w') {
        spec.isWide = true;
        ++p;
    } else if (*p == 'I') {
        if (p[1] == '6' && p[2] == '4') {
            spec.is64 = true;
            p += 3;
        } else if (p[1] == '3' && p[2] == '2') {
            p += 3;
        } else {
            spec.pointerSized = true;
            ++p;
        }
    }
}

Type TypeOf(char c, Spec& spec)
{
    switch (c) {
        case 'c':
            return spec.isLong ? Type::WideChar : Type::Char;
        case 'C':
            return spec.isShort ? Type::Char : Type::WideChar;
        case 'd':
        case 'i':
            return Type::Signed;
        case 's':
            return (spec.isLong || spec.isWide) ? Type::WideString : Type::String;
        case 'S':
            return (spec.isShort || spec.isWide) ? Type::String : Type::WideString;
        case 'u':
            return Type::Unsigned;
        case 'p':
            spec.width = 2 * sizeof(void*);
            spec.zeroPad = true;
            spec.pointerSized = true;
            spec.upperHex = true;
            return Type::Hex;
        case 'X':
            spec.upperHex = true;
            return Type::Hex;
        case 'x':
            return Type::Hex;
        default:
            return Type::Unknown;
    }
}

// Reads "[-][#][0][width][.precision][size]type" after the '%'. Returns how many characters
// it took: an unknown type character is not taken, so that it is printed as it stands.
std::size_t ParseSpec(const char* format, Spec& spec)
{
    const char* p = format;
    if (*p == '-') {
        spec.leftAlign = true;
        ++p;
    }
    if (*p == '#') {
        spec.hexPrefix = true;
        ++p;
    }
    if (*p == '0') {
        spec.zeroPad = true;
        ++p;
    }
    spec.width = ReadNumber(p);
    if (*p == '.') {
        ++p;
        spec.precision = ReadNumber(p);
    }
    ReadSizePrefix(p, spec);
    spec.type = TypeOf(*p, spec);
    if (spec.type != Type::Unknown) {
        ++p;
    }
    if (spec.leftAlign) {
        spec.zeroPad = false;
    }
    return static_cast<std::size_t>(p - format);
}

// The ANSI code page of a western Windows for the characters it shares with Unicode.
char WideToAnsi(WCHAR c)
{
    return (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) ? static_cast<char>(c) : '?';
}

template <typename CharT>
unsigned StringLength(const CharT* text, unsigned precision)
{
    unsigned length = 0;
    while ((precision == 0 || length < precision) && text[length] != 0 && length < kFieldLimit) {
        ++length;
    }
    return length;
}

void PadBefore(Output& out, const Spec& spec, unsigned contentWidth)
{
    if (!spec.leftAlign && spec.width > contentWidth) {
        out.Repeat(' ', spec.width - contentWidth);
    }
}

void PadAfter(Output& out, const Spec& spec, unsigned contentWidth)
{
    if (spec.leftAlign && spec.width > contentWidth) {
        out.Repeat(' ', spec.width - contentWidth);
    }
}

void EmitString(Output& out, const Spec& spec, const char* text)
{
    static const char kNull[] = "(null)";
    text = text != nullptr ? text : kNull;
    const unsigned length = StringLength(text, spec.precision);
    PadBefore(out, spec, length);
    for (unsigned i = 0; i < length; ++i) {
        out.Put(text[i]);
    }
    PadAfter(out, spec, length);
}

void EmitWideString(Output& out, const Spec& spec, const WCHAR* text)
{
    static const WCHAR kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
    text = text != nullptr ? text : kNull;
    const unsigned length = StringLength(text, spec.precision);
    PadBefore(out, spec, length);
    for (unsigned i = 0; i < length; ++i) {
        out.Put(WideToAnsi(text[i]));
    }
    PadAfter(out, spec, length);
}

void EmitChar(Output& out, const Spec& spec, char c)
{
    PadBefore(out, spec, 1);
    out.Put(c);
    PadAfter(out, spec, 1);
}

// The digits of the magnitude, most significant first, and the length including any sign.
struct Digits {
    char text[24];
    unsigned count = 0;
    bool negative = false;
};

Digits ToDigits(const Spec& spec, long long value)
{
    Digits digits;
    unsigned long long magnitude = static_cast<unsigned long long>(value);
    if (spec.type == Type::Signed && value < 0) {
        digits.negative = true;
        magnitude = 0ULL - magnitude;
    }
    if (spec.pointerSized) {
        magnitude = static_cast<std::uintptr_t>(magnitude);
    } else if (!spec.is64) {
        magnitude = static_cast<std::uint32_t>(magnitude);
    }
    const char* symbols = spec.upperHex ? "0123456789ABCDEF" : "0123456789abcdef";
    const unsigned base = spec.type == Type::Hex ? 16 : 10;
    char reversed[24];
    unsigned n = 0;
    do {
        reversed[n++] = symbols[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    while (n > 0) {
        digits.text[digits.count++] = reversed[--n];
    }
    return digits;
}

// The precision counts the sign among the digits ("%.5d" of -42 is "-0042"), zero padding
// fills the width, and the "0x" of '#' comes on top of both.
void EmitNumber(Output& out, const Spec& spec, long long value)
{
    const Digits digits = ToDigits(spec, value);
    const unsigned length = digits.count + (digits.negative ? 1 : 0);
    unsigned field = spec.precision < length ? length : spec.precision;
    if (spec.zeroPad && spec.width > field) {
        field = spec.width;
    }
    PadBefore(out, spec, field);
    if (spec.type == Type::Hex && spec.hexPrefix) {
        out.Put('0');
        out.Put(spec.upperHex ? 'X' : 'x');
    }
    if (digits.negative) {
        out.Put('-');
    }
    out.Repeat('0', field - length);
    for (unsigned i = 0; i < digits.count; ++i) {
        out.Put(digits.text[i]);
    }
    PadAfter(out, spec, field);
}

long long ReadInteger(const Spec& spec, va_list& args)
{
    if (spec.pointerSized) {
        return va_arg(args, INT_PTR);
    }
    if (spec.is64) {
        return va_arg(args, long long);
    }
    return va_arg(args, int);
}

}  // namespace

int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list args)
{
    if (buffer == nullptr) {
        return 0;
    }
    Output out(buffer);
    const char* p = format != nullptr ? format : "";
    va_list local;
    va_copy(local, args);
    while (*p != '\0' && !out.Full()) {
        if (*p != '%') {
            out.Put(*p++);
            continue;
        }
        ++p;
        if (*p == '%') {
            out.Put(*p++);
            continue;
        }
        Spec spec;
        p += ParseSpec(p, spec);
        switch (spec.type) {
            case Type::Char:
                EmitChar(out, spec, static_cast<char>(va_arg(local, int)));
                break;
            case Type::WideChar:
                EmitChar(out, spec, WideToAnsi(static_cast<WCHAR>(va_arg(local, int))));
                break;
            case Type::String:
                EmitString(out, spec, va_arg(local, const char*));
                break;
            case Type::WideString:
                EmitWideString(out, spec, va_arg(local, const WCHAR*));
                break;
            case Type::Signed:
            case Type::Unsigned:
            case Type::Hex:
                EmitNumber(out, spec, ReadInteger(spec, local));
                break;
            case Type::Unknown:
                // The width is still honoured, then the character is printed as it stands.
                PadBefore(out, spec, spec.precision);
                break;
        }
    }
    va_end(local);
    out.Terminate();
    return static_cast<int>(out.Length());
}

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    const int length = wvsprintfA(buffer, format, args);
    va_end(args);
    return length;
}
