// The queries with which the module's start-up introduces itself to the driver, once the
// link is made.
#pragma once

#include "driver/driver_link.h"

// The start-up queries in their fixed order; a query that fails or is not sent does not stop
// the others, and their results are not looked at.
void RunDriverStartupQueries();

// The queries whose replies the module does not read.
DriverResult QueryDriverVersion();
DriverResult QueryModeDetails(uint32_t width, uint32_t height, uint32_t depth, uint32_t rate);
DriverResult QueryAdapterInfo();
DriverResult QueryTvOutput();
