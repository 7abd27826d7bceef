#include "driver/startup_queries.h"

#include "driver/mode_tables.h"

DriverResult QueryDriverVersion()
{
    return SendDriverRequest(FnDriverVersion, nullptr);
}

DriverResult QueryModeDetails(uint32_t width, uint32_t height, uint32_t depth, uint32_t rate)
{
    DriverPayload payload = ModeArgument(width, height, depth, rate);
    return SendDriverRequest(FnModeDetails, &payload);
}

DriverResult QueryAdapterInfo()
{
    return SendDriverRequest(FnAdapterInfo, nullptr);
}

DriverResult QueryTvOutput()
{
    return SendDriverRequest(FnTvOutput, nullptr);
}

// The module reads nothing of the version, mode-details, adapter and TV-output replies, yet
// sends all four in this order: to the driver they are the start-up of a client, and a driver
// may set up what it answers later while it answers them.
void RunDriverStartupQueries()
{
    QueryDriverVersion();
    QueryModeTable();
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 0;
    uint32_t rate = 0;
    CurrentMode(&width, &height, &depth, &rate);
    // The rate argument is 0 here, not the current rate.
    QueryViewportTable(width, height, depth, 0);
    QueryModeDetails(width, height, depth, rate);
    QueryAdapterInfo();
    QueryTvOutput();
}
