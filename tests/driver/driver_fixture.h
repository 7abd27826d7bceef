// What the driver-interface tests share: the component module registered in winsim, the
// stand-in driver beside it, a panning adapter to start from, and readers for the driver's
// request log.
#pragma once

#include <gtest/gtest.h>
#include <kvapi/adapter.h>
#include <kvapi/winsim_glue.h>
#include <winsim/control.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver/driver_link.h"
#include "driver/startup_queries.h"
#include "platform/platform.h"

namespace drivertest {

inline constexpr std::string_view kSystemDirectory = "C:\\WINDOWS\\SYSTEM";
inline constexpr std::string_view kComponentPath = "C:\\WINDOWS\\SYSTEM\\KVSETTNG.DLL";

inline constexpr std::uint32_t kStatusOk = 0x8000;
inline constexpr std::uint32_t kStatusFailed = 0x8001;
inline constexpr std::uint32_t kStatusPartial = 0x8003;

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

// Desktops 640x480 to 1024x768 at 8 and 16 bits per pixel, each with the screen areas that
// fit in it; 1024x768x16 at 75 Hz in force, showing 640x480 at the desktop's top left.
inline kvapi::AdapterConfig PanningAdapter()
{
    kvapi::AdapterConfig config;
    config.functions = AllFunctions();
    config.modes = {{640, 480, 8, 60},  {640, 480, 16, 60}, {800, 600, 8, 60},
                    {800, 600, 16, 75}, {1024, 768, 8, 60}, {1024, 768, 16, 75}};
    const std::vector<kvapi::Size> areas = {{640, 480}, {800, 600}, {1024, 768}};
    for (const kvapi::Mode& mode : config.modes) {
        kvapi::ViewportTable table{
            .width = mode.width, .height = mode.height, .depth = mode.depth, .sizes = {}};
        for (const kvapi::Size& area : areas) {
            if (area.width <= mode.width && area.height <= mode.height) {
                table.sizes.push_back(area);
            }
        }
        config.viewports.push_back(table);
    }
    config.current = {1024, 768, 16, 75};
    config.viewport = {640, 480};
    config.origin = {0, 0};
    return config;
}

// Registers the component's module under `path` and loads it, so that GetModuleFileNameA
// answers that path for it.
inline HMODULE LoadComponentModule(std::string_view path = kComponentPath)
{
    winsim::RegisterModule(path, {});
    return LoadLibraryA(std::string(path).c_str());
}

inline kvapi::Adapter& Driver()
{
    return kvapi::TheAdapter();
}

// The driver's log as one line: function numbers of requests, "probe" and "persist".
inline std::string Trace()
{
    std::string trace;
    for (const kvapi::LogEntry& entry : Driver().log()) {
        if (!trace.empty()) {
            trace += ' ';
        }
        switch (entry.operation) {
            case kvapi::kRequest:
                trace += std::to_string(entry.function);
                break;
            case kvapi::kProbe:
                trace += "probe";
                break;
            case kvapi::kPersistValue:
                trace += "persist";
                break;
            default:
                trace += "op" + std::to_string(entry.operation);
                break;
        }
    }
    return trace;
}

inline std::vector<kvapi::LogEntry> LoggedRequests(std::uint32_t function)
{
    std::vector<kvapi::LogEntry> found;
    for (const kvapi::LogEntry& entry : Driver().log()) {
        if (entry.operation == kvapi::kRequest && entry.function == function) {
            found.push_back(entry);
        }
    }
    return found;
}

inline std::vector<kvapi::LogEntry> LoggedPersists()
{
    std::vector<kvapi::LogEntry> found;
    for (const kvapi::LogEntry& entry : Driver().log()) {
        if (entry.operation == kvapi::kPersistValue) {
            found.push_back(entry);
        }
    }
    return found;
}

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

// The two values at offsets 12 and 16 of the last request with this function number, as
// the component sent them; (0, 0) with a failure when there is none.
inline std::pair<std::uint32_t, std::uint32_t> LastSentPair(std::uint32_t function)
{
    const std::vector<kvapi::LogEntry> requests = LoggedRequests(function);
    if (requests.empty()) {
        ADD_FAILURE() << "function " << function << " was never sent; log: " << Trace();
        return {0, 0};
    }
    return {U32At(requests.back().request, 12), U32At(requests.back().request, 16)};
}

class DriverTest : public ::testing::Test {
protected:
    // Puts the stand-in driver beside the component's module and links to it as the module's
    // start-up does: the link, then the start-up queries once it is made.
    DriverResult Link(kvapi::AdapterConfig config = PanningAdapter())
    {
        Install(std::move(config));
        const DriverResult result = OpenDriverLink(LoadComponentModule());
        if (result == DriverOk) {
            RunDriverStartupQueries();
        }
        return result;
    }

    static void Install(kvapi::AdapterConfig config)
    {
        kvapi::InstallInWinsim(kSystemDirectory, std::move(config));
    }
};

}  // namespace drivertest
