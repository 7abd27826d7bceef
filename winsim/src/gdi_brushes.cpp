// Solid brushes, the system-colour brushes and FillRect.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <array>
#include <cstdint>

#include "faults.h"
#include "gdi_objects.h"

namespace winsim::detail {
namespace {

// COLOR_SCROLLBAR to COLOR_MENUBAR.
constexpr int kSystemColourCount = 31;

}  // namespace
}  // namespace winsim::detail

HBRUSH WINAPI CreateSolidBrush(COLORREF colour)
{
    const bool failing = winsim::detail::FailableCall("CreateSolidBrush");
    if (failing || winsim::detail::ConsumeFault(winsim::Fault::CreateBrush)) {
        return nullptr;
    }
    return static_cast<HBRUSH>(
        winsim::detail::AddGdiObject(winsim::GdiKind::Brush, winsim::detail::BrushObject{BS_SOLID, colour}));
}

// The system's brushes belong to the system: made once, never deleted.
HBRUSH WINAPI GetSysColorBrush(int index)
{
    static std::array<HGDIOBJ, winsim::detail::kSystemColourCount> brushes{};
    if (index < 0 || index >= winsim::detail::kSystemColourCount) {
        return nullptr;
    }
    HGDIOBJ& brush = brushes[static_cast<std::size_t>(index)];
    if (brush == nullptr) {
        brush = winsim::detail::AddStockGdiObject(winsim::GdiKind::Brush,
                                                  winsim::detail::BrushObject{BS_SOLID, GetSysColor(index)});
    }
    return static_cast<HBRUSH>(brush);
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    if (winsim::detail::FailableCall("FillRect") || rect == nullptr) {
        return 0;
    }
    // A system colour index plus one stands for that colour's brush.
    const auto value = reinterpret_cast<std::uintptr_t>(brush);
    if (value >= 1 && value <= static_cast<std::uintptr_t>(winsim::detail::kSystemColourCount)) {
        brush = GetSysColorBrush(static_cast<int>(value) - 1);
    }
    if (winsim::detail::FindBrush(brush) == nullptr) {
        return 0;
    }
    HGDIOBJ previous = SelectObject(dc, brush);
    if (previous == nullptr) {
        return 0;
    }
    PatBlt(dc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, PATCOPY);
    SelectObject(dc, previous);
    return 1;
}
