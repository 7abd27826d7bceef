// A string as the configuration text and the request log write it: in double quotes, with
// quote and backslash escaped and other bytes outside printable ASCII as \xHH.
#pragma once

#include <cstdio>
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
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace kvapi
