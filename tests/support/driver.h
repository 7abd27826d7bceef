// The stand-in driver as the tests set it up and read it back: the function numbers the
// component requests, viewport tables that offer the screen areas that fit a mode, and the
// driver's log in its one textual form (kvapi's, as KVAPIGetLog gives it on both platforms).
#pragma once

#include <gtest/gtest.h>
#include <kvapi/adapter.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

// Every function number the component requests after the handshake.
inline std::vector<int> AllFunctions()
{
    return {3, 4, 5, 6, 8, 9, 10, 11, 26, 28, 34};
}

inline std::vector<int> AllFunctionsBut(int missing)
{
    std::vector<int> functions;
    for (int function : AllFunctions()) {
        if (function != missing) {
            functions.push_back(function);
        }
    }
    return functions;
}

// One viewport table for each of the adapter's modes, offering the screen areas of `screens`
// that fit in it.
inline void OfferScreensThatFit(kvapi::AdapterConfig& config, const std::vector<kvapi::Size>& screens)
{
    for (const kvapi::Mode& mode : config.modes) {
        kvapi::ViewportTable table{
            .width = mode.width, .height = mode.height, .depth = mode.depth, .sizes = {}};
        for (const kvapi::Size& screen : screens) {
            if (screen.width <= mode.width && screen.height <= mode.height) {
                table.sizes.push_back(screen);
            }
        }
        config.viewports.push_back(table);
    }
}

// A little-endian u32 of a logged block; a failure when it lies outside the block.
inline std::uint32_t U32At(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    if (offset + 4 > bytes.size()) {
        ADD_FAILURE() << "offset " << offset << " lies outside a block of " << bytes.size() << " bytes";
        return 0;
    }
    return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

// The driver's log from entry `first` on, one line a call.
inline std::vector<std::string> LogLines(const kvapi::Adapter& driver, std::size_t first = 0)
{
    std::vector<std::string> lines;
    std::istringstream text(driver.FormatLog());
    std::size_t index = 0;
    for (std::string line; std::getline(text, line); ++index) {
        if (index >= first) {
            lines.push_back(line);
        }
    }
    return lines;
}

// The calls of the log in one line, each by its function number, "probe" or "persist".
inline std::string CallSequence(const kvapi::Adapter& driver)
{
    std::string sequence;
    for (const std::string& line : LogLines(driver)) {
        std::string call;
        if (line.starts_with("Probe")) {
            call = "probe";
        } else if (line.starts_with("PersistValue")) {
            call = "persist";
        } else if (const std::size_t at = line.find(" fn="); at != std::string::npos) {
            call = line.substr(at + 4, line.find(' ', at + 4) - (at + 4));
        } else {
            call = line.substr(0, line.find(' '));
        }
        sequence += (sequence.empty() ? "" : " ") + call;
    }
    return sequence;
}

}  // namespace testsupport
