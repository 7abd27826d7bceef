// The driver's display-mode tables and the sorted size and depth lists built from them.
#pragma once

#include "driver/driver_link.h"

// One display mode as the module reads it from the driver's tables.
struct ModeRecord {
    uint32_t width;
    uint32_t height;
    uint32_t depth;
    uint32_t rate;
};

const uint32_t kMaxListedSizes = 31;
const uint32_t kMaxListedDepths = 7;

// Width in the high 16 bits, height in the low 16 bits; 0 ends a list.
uint32_t PackSize(uint32_t width, uint32_t height);
uint32_t PackedWidth(uint32_t packed);
uint32_t PackedHeight(uint32_t packed);

// The two tables the module reads: the driver's display modes, and the screen areas that
// the driver offers for one mode.
DriverResult QueryModeTable();
DriverResult QueryViewportTable(uint32_t width, uint32_t height, uint32_t depth, uint32_t rate);
// The argument of the requests about one mode.
DriverPayload ModeArgument(uint32_t width, uint32_t height, uint32_t depth, uint32_t rate);

// The mode of the screen; false, with the outputs untouched, when no screen device context
// is had.
bool CurrentMode(uint32_t* width, uint32_t* height, uint32_t* depth, uint32_t* rate);
int CurrentDepth();

// The tables as the driver last answered them; counts never exceed the tables' capacity.
uint32_t ModeTableCount();
ModeRecord ModeTableRecord(uint32_t index);
uint32_t ViewportTableCount();

// Lists, rebuilt from the tables on every call; each build returns the same buffer.
const uint32_t* BuildDesktopSizeList();
const uint32_t* BuildScreenSizeList();
const uint32_t* BuildDepthList(uint32_t width, uint32_t height);
int CountDesktopSizes();
int CountScreenSizes();

bool IsViewportSize(uint32_t width, uint32_t height);
int ScreenSizeIndexOf(uint32_t width, uint32_t height);
// Entry `index` of the list; false, with 0 x 0, for an index outside the list.
bool ScreenSizeAt(int index, uint32_t* width, uint32_t* height);
bool DesktopSizeAt(int index, uint32_t* width, uint32_t* height);

// A position of the screen-size list against one of the desktop-size list, by the sizes they
// stand for (the lists may differ), or by position where either stands for no size.
bool ScreenMatchesDesktop(int screenIndex, int desktopIndex);
// Wider or taller than the desktop.
bool ScreenExceedsDesktop(int screenIndex, int desktopIndex);
// The last position of the screen-size list whose size fits in width x height; -1 when none.
int LargestScreenSizeWithin(uint32_t width, uint32_t height);
// The first position after `above` of the desktop-size list whose size holds width x height;
// -1 when none.
int SmallestDesktopSizeHolding(uint32_t width, uint32_t height, int above);

// Replaces the viewport table with the screen areas of the largest desktop; false when the
// driver offers no desktop size or does not answer fully.
bool CheckLargestDesktopViewports();
