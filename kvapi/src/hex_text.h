// Hexadecimal numbers as the configuration text and the request log write them: upper-case
// digits, padded with zeros on the left.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kvapi {

// At least `minDigits` digits, and as many more as the value needs.
inline std::string HexDigits(std::uint32_t value, std::size_t minDigits)
{
    std::string digits;
    do {
        digits += "0123456789ABCDEF"[value % 16];
        value /= 16;
    } while (value != 0 || digits.size() < minDigits);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

// A status word: 0x and at least four digits.
inline std::string HexWord(std::uint32_t value)
{
    return "0x" + HexDigits(value, 4);
}

}  // namespace kvapi
