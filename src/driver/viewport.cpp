#include "driver/viewport.h"

#include "driver/mode_tables.h"
#include "driver/request_block.h"

namespace {

struct ModeMapping {
    int mode;
    int32_t value;
};

const ModeMapping kViewportModeMap[] = {{0, 0}, {1, 2}, {2, 1}, {3, 3}};

// The PersistValue block: u32 own size, an unused word, u32 1, then three 32-bit pointers.
const uint32_t kPersistBlockSize = 24;
const uint32_t kPersistKindOffset = 8;
const uint32_t kPersistSectionOffset = 12;
const uint32_t kPersistNameOffset = 16;
const uint32_t kPersistTextOffset = 20;
static_assert(kPersistBlockSize == kPersistTextOffset + 4);
const char kPersistSection[] = "Default";
const char kPersistValueName[] = "KVDrvViewportSize";

DriverPayload TwoValues(uint32_t first, uint32_t second)
{
    DriverPayload payload = {kFirstValueOffset, 8, {}};
    WriteU32(payload.bytes, 0, first);
    WriteU32(payload.bytes, 4, second);
    return payload;
}

// One value read back from the shared viewport block after a get request.
uint32_t ViewportValue(uint32_t offset)
{
    return ReadU32(GetDriverBlock(TagViewport), offset);
}

bool AnyButtonDown()
{
    static const int kButtons[] = {VK_LBUTTON, VK_MBUTTON, VK_RBUTTON};
    for (int button : kButtons) {
        if ((GetAsyncKeyState(button) & 0x8000) != 0) {
            return true;
        }
    }
    return false;
}

bool SendPersistValue(const char* text)
{
    if (!IsDriverEntryKnown()) {
        return false;
    }
    uint8_t block[kPersistBlockSize] = {};
    WriteU32(block, 0, kPersistBlockSize);
    WriteU32(block, kPersistKindOffset, 1);
    WriteU32(block, kPersistSectionOffset, PointerToField32(kPersistSection));
    WriteU32(block, kPersistNameOffset, PointerToField32(kPersistValueName));
    WriteU32(block, kPersistTextOffset, text != nullptr ? PointerToField32(text) : 0);
    CallDriverEntry(DriverOpPersistValue, kPersistBlockSize, block);
    return true;
}

void BroadcastDisplayChange(uint32_t depth, uint32_t desktopWidth, uint32_t desktopHeight)
{
    LPARAM size = static_cast<LPARAM>((desktopHeight & 0xFFFF) << 16 | (desktopWidth & 0xFFFF));
    PostMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, static_cast<WPARAM>(depth), size);
}

// The value sent for a mode; -1 where nothing is sent.
int32_t ViewportModeValue(int mode)
{
    for (const ModeMapping& mapping : kViewportModeMap) {
        if (mapping.mode == mode) {
            return mapping.value;
        }
    }
    return -1;
}

}  // namespace

uint32_t ClampViewportOrigin(uint32_t origin, uint32_t viewportExtent, uint32_t desktopExtent)
{
    if (viewportExtent >= desktopExtent) {
        return 0;
    }
    if (static_cast<uint64_t>(origin) + viewportExtent > desktopExtent) {
        return desktopExtent - viewportExtent;
    }
    return origin;
}

uint32_t FollowCursor(uint32_t cursor, uint32_t origin, uint32_t oldOrigin, uint32_t extent)
{
    if (cursor < origin || cursor > static_cast<uint64_t>(origin) + extent) {
        return cursor + (origin - oldOrigin);
    }
    return cursor;
}

bool GetViewportSize(uint32_t* width, uint32_t* height)
{
    if (width == nullptr || height == nullptr || !IsDriverEntryKnown()) {
        return false;
    }
    if (HasDriverFunction(FnGetViewportSize) &&
        SendDriverRequest(FnGetViewportSize, nullptr) != DriverFailed) {
        *width = ViewportValue(kFirstValueOffset);
        *height = ViewportValue(kSecondValueOffset);
        return true;
    }
    *width = static_cast<uint32_t>(GetSystemMetrics(SM_CXSCREEN));
    *height = static_cast<uint32_t>(GetSystemMetrics(SM_CYSCREEN));
    return true;
}

bool GetViewportOrigin(uint32_t* x, uint32_t* y)
{
    if (x == nullptr || y == nullptr || !IsDriverEntryKnown() || !HasDriverFunction(FnGetViewportOrigin)) {
        return false;
    }
    uint32_t desktopWidth = 0;
    uint32_t desktopHeight = 0;
    uint32_t depth = 0;
    uint32_t rate = 0;
    bool desktopKnown = CurrentMode(&desktopWidth, &desktopHeight, &depth, &rate);
    uint32_t viewportWidth = 0;
    uint32_t viewportHeight = 0;
    GetViewportSize(&viewportWidth, &viewportHeight);
    if (desktopKnown && viewportWidth == desktopWidth && viewportHeight == desktopHeight) {
        *x = 0;
        *y = 0;
        return true;
    }
    if (SendDriverRequest(FnGetViewportOrigin, nullptr) == DriverFailed) {
        *x = 0;
        *y = 0;
    } else {
        *x = ViewportValue(kFirstValueOffset);
        *y = ViewportValue(kSecondValueOffset);
    }
    return true;
}

DriverResult SetViewportOrigin(uint32_t x, uint32_t y)
{
    if (!HasDriverFunction(FnSetViewportOrigin)) {
        return DriverFailed;
    }
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    const POINT startCursor = cursor;
    uint32_t desktopWidth = 0;
    uint32_t desktopHeight = 0;
    uint32_t depth = 0;
    uint32_t rate = 0;
    // Without the desktop's size the origin cannot be checked against it.
    if (!CurrentMode(&desktopWidth, &desktopHeight, &depth, &rate)) {
        return DriverFailed;
    }
    uint32_t oldX = 0;
    uint32_t oldY = 0;
    GetViewportOrigin(&oldX, &oldY);
    uint32_t viewportWidth = 0;
    uint32_t viewportHeight = 0;
    GetViewportSize(&viewportWidth, &viewportHeight);
    if (x >= desktopWidth || y >= desktopHeight) {
        return DriverFailed;
    }
    x = ClampViewportOrigin(x, viewportWidth, desktopWidth);
    y = ClampViewportOrigin(y, viewportHeight, desktopHeight);
    cursor.x = static_cast<LONG>(FollowCursor(static_cast<uint32_t>(cursor.x), x, oldX, viewportWidth));
    cursor.y = static_cast<LONG>(FollowCursor(static_cast<uint32_t>(cursor.y), y, oldY, viewportHeight));

    DriverPayload origin = TwoValues(x, y);
    WriteDriverRequest(FnSetViewportOrigin, &origin);
    bool cursorMoves = cursor.x != startCursor.x || cursor.y != startCursor.y;
    if (AnyButtonDown() && cursorMoves) {
        // The user is dragging: neither the screen nor the cursor jumps under the pointer.
        return DriverFailed;
    }
    DriverResult result = CallDriverRequest(FnSetViewportOrigin);
    SetCursorPos(cursor.x, cursor.y);
    return result;
}

DriverResult SetViewportSize(uint32_t width, uint32_t height)
{
    if (!IsDriverEntryKnown() || !HasDriverFunction(FnSetViewportSize)) {
        return DriverFailed;
    }
    uint32_t oldX = 0;
    uint32_t oldY = 0;
    bool originKnown = GetViewportOrigin(&oldX, &oldY);
    uint32_t oldWidth = 0;
    uint32_t oldHeight = 0;
    GetViewportSize(&oldWidth, &oldHeight);

    DriverPayload size = TwoValues(width, height);
    DriverResult result = SendDriverRequest(FnSetViewportSize, &size);
    if (result != DriverOk) {
        return result;
    }
    uint32_t desktopWidth = 0;
    uint32_t desktopHeight = 0;
    uint32_t depth = 0;
    uint32_t rate = 0;
    if (CurrentMode(&desktopWidth, &desktopHeight, &depth, &rate)) {
        if (width == desktopWidth && height == desktopHeight) {
            ClearPersistedViewportSize();
        }
        if (width != oldWidth || height != oldHeight) {
            BroadcastDisplayChange(depth, desktopWidth, desktopHeight);
        }
    }
    // Without a known origin the viewport stays where the driver put it.
    if (originKnown) {
        SetViewportOrigin(oldX, oldY);
    }
    return DriverOk;
}

DriverResult SetViewportMode(int mode)
{
    if (!IsDriverEntryKnown() || !HasDriverFunction(FnSetViewportMode)) {
        return DriverFailed;
    }
    int32_t value = ViewportModeValue(mode);
    if (value < 0) {
        return DriverFailed;
    }
    DriverPayload payload = {kFirstValueOffset, 4, {}};
    WriteU32(payload.bytes, 0, static_cast<uint32_t>(value));
    return SendDriverRequest(FnSetViewportMode, &payload);
}

bool PersistViewportSize(uint32_t width, uint32_t height)
{
    if (!IsDriverEntryKnown()) {
        return false;
    }
    char text[64];
    wsprintfA(text, "vpd0,%u,%u", width, height);
    return SendPersistValue(text);
}

bool ClearPersistedViewportSize()
{
    return SendPersistValue(nullptr);
}
