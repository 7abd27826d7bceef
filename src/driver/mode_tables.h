// The driver's display-mode tables and the sorted size and depth lists built from them.
#pragma once

#include "driver/driver_link.h"

// One display mode as the driver packs it: u32 width, u32 height, u8 depth, u8 rate.
struct ModeRecord {
    uint32_t width;
    uint32_t height;
    uint32_t depth;
    uint32_t rate;
};

const uint32_t kModeRecordSize = 10;
const uint32_t kMaxTableRecords = 256;
const uint32_t kMaxListedSizes = 31;
const uint32_t kMaxListedDepths = 7;

// Width in the high 16 bits, height in the low 16 bits; 0 ends a list.
uint32_t PackSize(uint32_t width, uint32_t height);
uint32_t PackedWidth(uint32_t packed);
uint32_t PackedHeight(uint32_t packed);

// Start-up queries.
DriverResult QueryVer0();
DriverResult QueryModeTable();
DriverResult QueryCvt0(uint32_t width, uint32_t height, uint32_t depth, uint32_t rate);
DriverResult QueryVid0();
DriverResult QueryViewportTable(uint32_t width, uint32_t height, uint32_t depth, uint32_t rate);
DriverResult QueryTvo0();

// The mode of the screen: 0, or 2 (outputs untouched) when no screen device context is had.
int CurrentMode(uint32_t* width, uint32_t* height, uint32_t* depth, uint32_t* rate);
int CurrentDepth();

// The tables as the driver last answered them; counts never exceed the tables' capacity.
uint32_t ModeTableCount();
ModeRecord ModeTableRecord(uint32_t index);
uint32_t ViewportTableCount();
ModeRecord ViewportTableRecord(uint32_t index);

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

bool CheckLargestDesktopViewports();
