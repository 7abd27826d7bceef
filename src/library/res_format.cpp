#include "library/res_format.h"

namespace {

// wsprintfA writes at most 1024 bytes, the terminator included.
const uint32_t kFormattedSize = 1025;

enum ConversionKind {
    ConversionInvalid,
    ConversionNumber,
    ConversionString,
};

const char* SkipDigits(const char* p)
{
    while (*p >= '0' && *p <= '9') {
        ++p;
    }
    return p;
}

// Reads one conversion after its '%', in the order wsprintfA reads it:
// [-][#][0][width][.precision][l|h]type. `*next` is set past the type letter.
ConversionKind ReadConversion(const char* p, const char** next)
{
    if (*p == '-') {
        ++p;
    }
    if (*p == '#') {
        ++p;
    }
    if (*p == '0') {
        ++p;
    }
    p = SkipDigits(p);
    if (*p == '.') {
        p = SkipDigits(p + 1);
    }
    char size = '\0';
    if (*p == 'l' || *p == 'h') {
        size = *p++;
    }
    *next = p + 1;
    switch (*p) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
            return ConversionNumber;
        case 's':
            return size == 'l' ? ConversionInvalid : ConversionString;
        default:
            return ConversionInvalid;
    }
}

void CopyText(char* out, uint32_t outSize, const char* text)
{
    uint32_t at = 0;
    while (at + 1 < outSize && text[at] != '\0') {
        out[at] = text[at];
        ++at;
    }
    out[at] = '\0';
}

}  // namespace

bool FormatFits(const char* format, const char* slots)
{
    if (format == nullptr || slots == nullptr) {
        return false;
    }
    const char* slot = slots;
    const char* p = format;
    while (*p != '\0') {
        if (*p++ != '%') {
            continue;
        }
        if (*p == '%') {
            ++p;
            continue;
        }
        const ConversionKind kind = ReadConversion(p, &p);
        if (kind == ConversionInvalid || *slot == '\0') {
            return false;
        }
        const char wanted = kind == ConversionNumber ? 'u' : 's';
        if (*slot++ != wanted) {
            return false;
        }
    }
    return true;
}

bool FormatResString(char* out, uint32_t outSize, const char* format, const char* slots, ...)
{
    if (out == nullptr || outSize == 0) {
        return false;
    }
    out[0] = '\0';
    if (!FormatFits(format, slots)) {
        return false;
    }
    char formatted[kFormattedSize];
    va_list args;
    va_start(args, slots);
    wvsprintfA(formatted, format, args);
    va_end(args);
    formatted[kFormattedSize - 1] = '\0';
    CopyText(out, outSize, formatted);
    return true;
}
