// The table of graphics objects. Every HFONT, HBRUSH and HBITMAP that winsim hands out is an
// entry here; device contexts live in their own table (device_contexts.h), and the objects
// selected into a DC are recorded here, by DC handle.
#pragma once

#include <winsim/control.h>
#include <winsim/win32.h>

#include <variant>

#include "gdi_surfaces.h"

namespace winsim::detail {

struct FontObject {
    LOGFONTA logFont{};
};

struct BrushObject {
    UINT style = 0;  // BS_SOLID 0, BS_NULL 1
    COLORREF colour = 0;
};

struct BitmapObject {
    Surface surface;
};

using GdiPayload = std::variant<FontObject, BrushObject, BitmapObject>;

struct GdiObject {
    GdiKind kind = GdiKind::Font;
    bool stock = false;
    int selections = 0;          // DCs that hold it selected now
    bool deletePending = false;  // DeleteObject while selected: it goes when the last DC lets go
    GdiPayload payload;
};

// Adds an object and returns its handle; null when the handles of that kind are used up.
HGDIOBJ AddGdiObject(GdiKind kind, GdiPayload payload);
// Null for a handle that is not (or no longer) an object of the table.
GdiObject* FindGdiObject(HGDIOBJ handle);
// The logical font of a font handle; null for anything else.
const LOGFONTA* FindFont(HGDIOBJ handle);
// The height in pixels of a line of text in the font (its character cell); a null or
// invalid handle reads as the system font, which is what a window without a font shows.
int FontCellHeight(HGDIOBJ font);
// Forgets what the DC holds selected, when the DC goes away.
void DropDcSelections(HDC dc);
// What the DC holds selected of the kind (a new memory DC holds the default bitmap).
HGDIOBJ SelectedObject(HDC dc, GdiKind kind);
// A stock object made on demand: never counted, never deleted.
HGDIOBJ AddStockGdiObject(GdiKind kind, GdiPayload payload);
// The 1x1 monochrome bitmap that every new memory DC holds.
HGDIOBJ DefaultBitmap();
// The pixels of a bitmap handle; null for anything else.
Surface* FindBitmapSurface(HGDIOBJ handle);
// The brush of a handle; null for anything else.
const BrushObject* FindBrush(HGDIOBJ handle);

}  // namespace winsim::detail
