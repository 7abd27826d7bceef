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

struct Conversion {
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

void ReadSizePrefix(const char*& p, Conversion& conversion)
{
    if (*p == 'l') {
        conversion.isLong = true;
        ++p;
    } else if (*p == 'h') {
        conversion.isShort = true;
        ++p;
    } else if (*p == 'w') {
        conversion.isWide = true;
        ++p;
    } else if (*p == 'I') {
        if (p[1] == '6' && p[2] == '4') {
            conversion.is64 = true;
            p += 3;
        } else if (p[1] == '3' && p[2] == '2') {
            p += 3;
        } else {
            conversion.pointerSized = true;
            ++p;
        }
    }
}

Type TypeOf(char c, Conversion& conversion)
{
    switch (c) {
        case 'c':
            return conversion.isLong ? Type::WideChar : Type::Char;
        case 'C':
            return conversion.isShort ? Type::Char : Type::WideChar;
        case 'd':
        case 'i':
            return Type::Signed;
        case 's':
            return (conversion.isLong || conversion.isWide) ? Type::WideString : Type::String;
        case 'S':
            return (conversion.isShort || conversion.isWide) ? Type::String : Type::WideString;
        case 'u':
            return Type::Unsigned;
        case 'p':
            conversion.width = 2 * sizeof(void*);
            conversion.zeroPad = true;
            conversion.pointerSized = true;
            conversion.upperHex = true;
            return Type::Hex;
        case 'X':
            conversion.upperHex = true;
            return Type::Hex;
        case 'x':
            return Type::Hex;
        default:
            return Type::Unknown;
    }
}

// Reads "[-][#][0][width][.precision][size]type" after the '%'. Returns how many characters
// it took: an unknown type character is not taken, so that it is printed as it stands.
std::size_t ParseConversion(const char* format, Conversion& conversion)
{
    const char* p = format;
    if (*p == '-') {
        conversion.leftAlign = true;
        ++p;
    }
    if (*p == '#') {
        conversion.hexPrefix = true;
        ++p;
    }
    if (*p == '0') {
        conversion.zeroPad = true;
        ++p;
    }
    conversion.width = ReadNumber(p);
    if (*p == '.') {
        ++p;
        conversion.precision = ReadNumber(p);
    }
    ReadSizePrefix(p, conversion);
    conversion.type = TypeOf(*p, conversion);
    if (conversion.type != Type::Unknown) {
        ++p;
    }
    if (conversion.leftAlign) {
        conversion.zeroPad = false;
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

void PadBefore(Output& out, const Conversion& conversion, unsigned contentWidth)
{
    if (!conversion.leftAlign && conversion.width > contentWidth) {
        out.Repeat(' ', conversion.width - contentWidth);
    }
}

void PadAfter(Output& out, const Conversion& conversion, unsigned contentWidth)
{
    if (conversion.leftAlign && conversion.width > contentWidth) {
        out.Repeat(' ', conversion.width - contentWidth);
    }
}

void EmitString(Output& out, const Conversion& conversion, const char* text)
{
    static const char kNull[] = "(null)";
    text = text != nullptr ? text : kNull;
    const unsigned length = StringLength(text, conversion.precision);
    PadBefore(out, conversion, length);
    for (unsigned i = 0; i < length; ++i) {
        out.Put(text[i]);
    }
    PadAfter(out, conversion, length);
}

void EmitWideString(Output& out, const Conversion& conversion, const WCHAR* text)
{
    static const WCHAR kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
    text = text != nullptr ? text : kNull;
    const unsigned length = StringLength(text, conversion.precision);
    PadBefore(out, conversion, length);
    for (unsigned i = 0; i < length; ++i) {
        out.Put(WideToAnsi(text[i]));
    }
    PadAfter(out, conversion, length);
}

void EmitChar(Output& out, const Conversion& conversion, char c)
{
    PadBefore(out, conversion, 1);
    out.Put(c);
    PadAfter(out, conversion, 1);
}

// The digits of the magnitude, most significant first, and the length including any sign.
struct Digits {
    char text[24];
    unsigned count = 0;
    bool negative = false;
};

Digits ToDigits(const Conversion& conversion, long long value)
{
    Digits digits;
    unsigned long long magnitude = static_cast<unsigned long long>(value);
    if (conversion.type == Type::Signed && value < 0) {
        digits.negative = true;
        magnitude = 0ULL - magnitude;
    }
    if (conversion.pointerSized) {
        magnitude = static_cast<std::uintptr_t>(magnitude);
    } else if (!conversion.is64) {
        magnitude = static_cast<std::uint32_t>(magnitude);
    }
    const char* symbols = conversion.upperHex ? "0123456789ABCDEF" : "0123456789abcdef";
    const unsigned base = conversion.type == Type::Hex ? 16 : 10;
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
void EmitNumber(Output& out, const Conversion& conversion, long long value)
{
    const Digits digits = ToDigits(conversion, value);
    const unsigned length = digits.count + (digits.negative ? 1 : 0);
    unsigned field = conversion.precision < length ? length : conversion.precision;
    if (conversion.zeroPad && conversion.width > field) {
        field = conversion.width;
    }
    PadBefore(out, conversion, field);
    if (conversion.type == Type::Hex && conversion.hexPrefix) {
        out.Put('0');
        out.Put(conversion.upperHex ? 'X' : 'x');
    }
    if (digits.negative) {
        out.Put('-');
    }
    out.Repeat('0', field - length);
    for (unsigned i = 0; i < digits.count; ++i) {
        out.Put(digits.text[i]);
    }
    PadAfter(out, conversion, field);
}

long long ReadInteger(const Conversion& conversion, va_list& args)
{
    if (conversion.pointerSized) {
        return va_arg(args, INT_PTR);
    }
    if (conversion.is64) {
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
        Conversion conversion;
        p += ParseConversion(p, conversion);
        switch (conversion.type) {
            case Type::Char:
                EmitChar(out, conversion, static_cast<char>(va_arg(local, int)));
                break;
            case Type::WideChar:
                EmitChar(out, conversion, WideToAnsi(static_cast<WCHAR>(va_arg(local, int))));
                break;
            case Type::String:
                EmitString(out, conversion, va_arg(local, const char*));
                break;
            case Type::WideString:
                EmitWideString(out, conversion, va_arg(local, const WCHAR*));
                break;
            case Type::Signed:
            case Type::Unsigned:
            case Type::Hex:
                EmitNumber(out, conversion, ReadInteger(conversion, local));
                break;
            case Type::Unknown:
                // The width is still honoured, then the character is printed as it stands.
                PadBefore(out, conversion, conversion.precision);
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
