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
#include "support/component.h"
#include "support/driver.h"

namespace drivertest {

using testsupport::AllFunctions;
using testsupport::AllFunctionsBut;
using testsupport::kComponentPath;
using testsupport::kSystemDirectory;
using testsupport::LoadComponentModule;
using testsupport::U32At;

inline constexpr std::uint32_t kStatusOk = 0x8000;
inline constexpr std::uint32_t kStatusFailed = 0x8001;
inline constexpr std::uint32_t kStatusPartial = 0x8003;

// Desktops 640x480 to 1024x768 at 8 and 16 bits per pixel, each with the screen areas that
// fit in it; 1024x768x16 at 75 Hz in force, showing 640x480 at the desktop's top left.
inline kvapi::AdapterConfig PanningAdapter()
{
    kvapi::AdapterConfig config;
    config.functions = AllFunctions();
    config.modes = {{640, 480, 8, 60},  {640, 480, 16, 60}, {800, 600, 8, 60},
                    {800, 600, 16, 75}, {1024, 768, 8, 60}, {1024, 768, 16, 75}};
    testsupport::OfferScreensThatFit(config, {{640, 480}, {800, 600}, {1024, 768}});
    config.current = {1024, 768, 16, 75};
    config.viewport = {640, 480};
    config.origin = {0, 0};
    return config;
}

// The adapter without one of the functions.
inline kvapi::AdapterConfig Without(int function, kvapi::AdapterConfig config = PanningAdapter())
{
    config.functions = AllFunctionsBut(function);
    return config;
}

inline kvapi::Adapter& Driver()
{
    return kvapi::TheAdapter();
}

// The driver's calls in one line: function numbers of requests, "probe" and "persist".
inline std::string Trace()
{
    return testsupport::CallSequence(Driver());
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
