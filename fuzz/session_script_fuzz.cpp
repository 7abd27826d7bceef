// The session script reader (sessions/*.session, kvsession's and run.sh's scripts).
#include <deskhost/session.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "scratch_directory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto session = deskhost::ParseSession(text, &error);
    fuzz::Expect(session.has_value() || error.starts_with("line "), "a refused script names its line");
    return 0;
}
