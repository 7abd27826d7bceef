// A string as the configuration text and the request log write it: in double quotes, with
// quote and backslash escaped and other bytes outside printable ASCII as \xHH.
#pragma once

#include "hex_text.h"

#include <string>
#include <string_view>

namespace kvapi {

inline std::string QuotedText(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            out += "\\x" + HexDigits(c, 2);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace kvapi
