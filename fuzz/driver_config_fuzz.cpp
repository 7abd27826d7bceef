// The stand-in driver's configuration text (KVAPI32.INI, kvprobe --config): read, and what
// it reads written back and read again to the same configuration.
#include <kvapi/adapter.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "scratch_directory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto config = kvapi::ParseConfig(text, &error);
    if (!config) {
        fuzz::Expect(error.starts_with("line "), "a refused text names its line");
        return 0;
    }
    const auto again = kvapi::ParseConfig(kvapi::FormatConfig(*config), &error);
    fuzz::Expect(again.has_value() && *again == *config, "a configuration written out reads back the same");
    return 0;
}
