// Text helpers for Windows names, which compare without regard to case.
#pragma once

#include <string>
#include <string_view>

namespace winsim::detail {

char AsciiUpper(char c);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);
// A Windows path with '/' read as '\\', the way the system reads either separator.
std::string WindowsSeparators(std::string_view path);
// The part after the last backslash.
std::string_view FileNamePart(std::string_view path);

}  // namespace winsim::detail
