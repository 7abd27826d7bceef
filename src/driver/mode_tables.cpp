#include "driver/mode_tables.h"

#include "driver/request_block.h"

namespace {

static_assert(kModeArgumentSize <= sizeof DriverPayload{}.bytes);

// The depth at which the screen areas of the largest desktop are asked for.
const uint32_t kLargestChoiceDepth = 8;

uint32_t gDesktopSizes[kMaxListedSizes + 1];
uint32_t gScreenSizes[kMaxListedSizes + 1];
uint32_t gDepths[kMaxListedDepths + 1];

uint32_t ClampedCount(uint32_t claimed)
{
    return claimed < kMaxTableRecords ? claimed : kMaxTableRecords;
}

ModeRecord ReadModeRecord(const uint8_t* record)
{
    ModeRecord mode;
    mode.width = ReadU32(record, 0);
    mode.height = ReadU32(record, 4);
    mode.depth = record[8];
    mode.rate = record[9];
    return mode;
}

ModeRecord ViewportTableRecord(uint32_t index)
{
    if (index >= kMaxTableRecords) {
        return ModeRecord{0, 0, 0, 0};
    }
    return ReadModeRecord(GetDriverBlock(TagViewportTable) + kViewportRecordsOffset +
                          index * kModeRecordSize);
}

bool SignedLess(uint32_t a, uint32_t b)
{
    return static_cast<int32_t>(a) < static_cast<int32_t>(b);
}

uint32_t ListLength(const uint32_t* list)
{
    uint32_t length = 0;
    while (list[length] != 0) {
        ++length;
    }
    return length;
}

// Adds a value to a zero-terminated ascending list of at most `capacity` entries. A list
// that is full keeps its smallest entries, so the result does not depend on table order.
void AddToSortedList(uint32_t* list, uint32_t capacity, uint32_t value)
{
    uint32_t length = ListLength(list);
    for (uint32_t i = 0; i < length; ++i) {
        if (list[i] == value) {
            return;
        }
    }
    if (length == capacity) {
        if (!SignedLess(value, list[length - 1])) {
            return;
        }
        --length;
    }
    uint32_t at = length;
    while (at > 0 && SignedLess(value, list[at - 1])) {
        list[at] = list[at - 1];
        --at;
    }
    list[at] = value;
    list[length + 1] = 0;
}

void ClearList(uint32_t* list, uint32_t entries)
{
    for (uint32_t i = 0; i < entries; ++i) {
        list[i] = 0;
    }
}

// A size that a PackedSize can hold without ending the list or losing bits.
bool IsListableSize(uint32_t width, uint32_t height)
{
    return width != 0 && height != 0 && width <= 0xFFFF && height <= 0xFFFF;
}

typedef ModeRecord (*RecordReader)(uint32_t index);

const uint32_t* BuildSizeList(uint32_t* list, uint32_t count, RecordReader readRecord)
{
    ClearList(list, kMaxListedSizes + 1);
    for (uint32_t i = 0; i < count; ++i) {
        ModeRecord mode = readRecord(i);
        if (IsListableSize(mode.width, mode.height)) {
            AddToSortedList(list, kMaxListedSizes, PackSize(mode.width, mode.height));
        }
    }
    return list;
}

bool SizeAt(const uint32_t* list, int index, uint32_t* width, uint32_t* height)
{
    uint32_t w = 0;
    uint32_t h = 0;
    bool inside = index >= 0 && static_cast<uint32_t>(index) < ListLength(list);
    if (inside) {
        w = PackedWidth(list[index]);
        h = PackedHeight(list[index]);
    }
    if (width != nullptr) {
        *width = w;
    }
    if (height != nullptr) {
        *height = h;
    }
    return inside;
}

enum ScreenFit {
    ScreenFitUnknown,  // either position stands for no size
    ScreenFitEqual,
    ScreenFitInside,
    ScreenFitExceeds,  // wider or taller than the desktop
};

ScreenFit CompareScreenWithDesktop(int screenIndex, int desktopIndex)
{
    uint32_t screenWidth = 0;
    uint32_t screenHeight = 0;
    uint32_t desktopWidth = 0;
    uint32_t desktopHeight = 0;
    if (!ScreenSizeAt(screenIndex, &screenWidth, &screenHeight) ||
        !DesktopSizeAt(desktopIndex, &desktopWidth, &desktopHeight)) {
        return ScreenFitUnknown;
    }
    if (screenWidth == desktopWidth && screenHeight == desktopHeight) {
        return ScreenFitEqual;
    }
    return screenWidth <= desktopWidth && screenHeight <= desktopHeight ? ScreenFitInside : ScreenFitExceeds;
}

}  // namespace

uint32_t PackSize(uint32_t width, uint32_t height)
{
    return (width & 0xFFFF) << 16 | (height & 0xFFFF);
}

uint32_t PackedWidth(uint32_t packed)
{
    return packed >> 16;
}

uint32_t PackedHeight(uint32_t packed)
{
    return packed & 0xFFFF;
}

DriverPayload ModeArgument(uint32_t width, uint32_t height, uint32_t depth, uint32_t rate)
{
    DriverPayload payload = {kModeArgumentOffset, kModeArgumentSize, {}};
    WriteU32(payload.bytes, 0, 0);
    WriteU32(payload.bytes, 4, width);
    WriteU32(payload.bytes, 8, height);
    payload.bytes[12] = static_cast<uint8_t>(depth);
    payload.bytes[13] = static_cast<uint8_t>(rate);
    return payload;
}

DriverResult QueryModeTable()
{
    return SendDriverRequest(FnModeTable, nullptr);
}

DriverResult QueryViewportTable(uint32_t width, uint32_t height, uint32_t depth, uint32_t rate)
{
    DriverPayload payload = ModeArgument(width, height, depth, rate);
    return SendDriverRequest(FnViewportTable, &payload);
}

bool CurrentMode(uint32_t* width, uint32_t* height, uint32_t* depth, uint32_t* rate)
{
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return false;
    }
    *width = static_cast<uint32_t>(GetDeviceCaps(screen, HORZRES));
    *height = static_cast<uint32_t>(GetDeviceCaps(screen, VERTRES));
    *depth = static_cast<uint32_t>(GetDeviceCaps(screen, BITSPIXEL));
    *rate = static_cast<uint32_t>(GetDeviceCaps(screen, VREFRESH));
    ReleaseDC(nullptr, screen);
    return true;
}

int CurrentDepth()
{
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return 0;
    }
    int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return depth;
}

uint32_t ModeTableCount()
{
    return ClampedCount(ReadU32(GetDriverBlock(TagModeTable), kModeCountOffset));
}

ModeRecord ModeTableRecord(uint32_t index)
{
    if (index >= kMaxTableRecords) {
        return ModeRecord{0, 0, 0, 0};
    }
    return ReadModeRecord(GetDriverBlock(TagModeTable) + kModeRecordsOffset + index * kModeRecordSize);
}

uint32_t ViewportTableCount()
{
    return ClampedCount(ReadU32(GetDriverBlock(TagViewportTable), kViewportCountOffset));
}

const uint32_t* BuildDesktopSizeList()
{
    return BuildSizeList(gDesktopSizes, ModeTableCount(), ModeTableRecord);
}

const uint32_t* BuildScreenSizeList()
{
    return BuildSizeList(gScreenSizes, ViewportTableCount(), ViewportTableRecord);
}

const uint32_t* BuildDepthList(uint32_t width, uint32_t height)
{
    ClearList(gDepths, kMaxListedDepths + 1);
    uint32_t count = ModeTableCount();
    for (uint32_t i = 0; i < count; ++i) {
        ModeRecord mode = ModeTableRecord(i);
        if (mode.width == width && mode.height == height && mode.depth != 0) {
            AddToSortedList(gDepths, kMaxListedDepths, mode.depth);
        }
    }
    return gDepths;
}

int CountDesktopSizes()
{
    return static_cast<int>(ListLength(BuildDesktopSizeList()));
}

int CountScreenSizes()
{
    return static_cast<int>(ListLength(BuildScreenSizeList()));
}

bool IsViewportSize(uint32_t width, uint32_t height)
{
    uint32_t count = ViewportTableCount();
    for (uint32_t i = 0; i < count; ++i) {
        ModeRecord mode = ViewportTableRecord(i);
        if (mode.width == width && mode.height == height) {
            return true;
        }
    }
    return false;
}

int ScreenSizeIndexOf(uint32_t width, uint32_t height)
{
    const uint32_t* list = BuildScreenSizeList();
    if (!IsViewportSize(width, height)) {
        return -1;
    }
    for (int i = 0; list[i] != 0; ++i) {
        if (PackedWidth(list[i]) == width && PackedHeight(list[i]) == height) {
            return i;
        }
    }
    return -1;
}

bool ScreenSizeAt(int index, uint32_t* width, uint32_t* height)
{
    return SizeAt(BuildScreenSizeList(), index, width, height);
}

bool DesktopSizeAt(int index, uint32_t* width, uint32_t* height)
{
    return SizeAt(BuildDesktopSizeList(), index, width, height);
}

bool ScreenMatchesDesktop(int screenIndex, int desktopIndex)
{
    ScreenFit fit = CompareScreenWithDesktop(screenIndex, desktopIndex);
    return fit == ScreenFitEqual || (fit == ScreenFitUnknown && screenIndex == desktopIndex);
}

bool ScreenExceedsDesktop(int screenIndex, int desktopIndex)
{
    ScreenFit fit = CompareScreenWithDesktop(screenIndex, desktopIndex);
    return fit == ScreenFitExceeds || (fit == ScreenFitUnknown && screenIndex > desktopIndex);
}

int LargestScreenSizeWithin(uint32_t width, uint32_t height)
{
    const uint32_t* list = BuildScreenSizeList();
    const uint32_t length = ListLength(list);
    int found = -1;
    for (uint32_t i = 0; i < length; ++i) {
        if (PackedWidth(list[i]) <= width && PackedHeight(list[i]) <= height) {
            found = static_cast<int>(i);
        }
    }
    return found;
}

int SmallestDesktopSizeHolding(uint32_t width, uint32_t height, int above)
{
    const uint32_t* list = BuildDesktopSizeList();
    const uint32_t length = ListLength(list);
    for (uint32_t i = above < 0 ? 0 : static_cast<uint32_t>(above) + 1; i < length; ++i) {
        if (PackedWidth(list[i]) >= width && PackedHeight(list[i]) >= height) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CheckLargestDesktopViewports()
{
    int count = CountDesktopSizes();
    uint32_t width = 0;
    uint32_t height = 0;
    // A driver that offers no desktop size at all has nothing to pan over.
    if (!DesktopSizeAt(count - 1, &width, &height)) {
        return false;
    }
    // At 8 bits per pixel a mode takes the least video memory, so the largest desktop has
    // its fullest choice of screen areas there; this one list then serves every desktop size
    // and depth for as long as the module is loaded.
    return QueryViewportTable(width, height, kLargestChoiceDepth, 0) == DriverOk;
}
