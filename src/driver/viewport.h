// Commands on the viewport: the part of the desktop that the screen shows.
#pragma once

#include "driver/driver_link.h"

// Where the origin (x, y) ends once the viewport fits inside the desktop. A viewport
// larger than the desktop on an axis puts the origin at 0 on that axis.
uint32_t ClampViewportOrigin(uint32_t origin, uint32_t viewportExtent, uint32_t desktopExtent);

// The cursor coordinate on one axis after the origin moved from `oldOrigin` to `origin`:
// moved by the same distance when it lies outside [origin, origin + extent], else kept.
uint32_t FollowCursor(uint32_t cursor, uint32_t origin, uint32_t oldOrigin, uint32_t extent);

// False, with the outputs untouched, when they cannot be read.
bool GetViewportOrigin(uint32_t* x, uint32_t* y);
bool GetViewportSize(uint32_t* width, uint32_t* height);
DriverResult SetViewportOrigin(uint32_t x, uint32_t y);
DriverResult SetViewportSize(uint32_t width, uint32_t height);
// Sends the value that the viewport-mode map gives `mode`; Failed, sending nothing, for a mode
// that the map does not have.
DriverResult SetViewportMode(int mode);
// The screen area that the driver keeps for the next start of the display: false when the
// driver is not linked.
bool PersistViewportSize(uint32_t width, uint32_t height);
bool ClearPersistedViewportSize();
