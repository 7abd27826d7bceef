// Where a device context draws: the surface behind it, its origin on that surface and the
// rectangle it may touch. Shared by the drawing operations.
#pragma once

#include <winsim/win32.h>

#include <optional>

#include "device_contexts.h"
#include "gdi_surfaces.h"

namespace winsim::detail {

struct DrawTarget {
    DeviceContext* context = nullptr;
    Surface* surface = nullptr;
    int originX = 0;  // where the DC's (0, 0) lies on the surface
    int originY = 0;
    RECT clip{};  // in surface coordinates, inside the surface
};

// Nothing for a handle that is not a DC, or a window DC whose window is gone.
std::optional<DrawTarget> ResolveTarget(HDC dc);

}  // namespace winsim::detail
