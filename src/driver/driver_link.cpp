#include "driver/driver_link.h"

#include "driver/mode_tables.h"
#include "driver/request_block.h"
#include "platform/module_path.h"

typedef DWORD(WINAPI* KvapiProc)(DWORD operation, DWORD size, LPVOID block, DWORD zero1, DWORD zero2);

namespace {

struct TagBlock {
    char tag[4];
    uint32_t size;
    uint8_t* storage;
};

uint8_t gOwn0[20];
uint8_t gVer0[1824];
uint8_t gCrs0[2576];
uint8_t gCvt0[2074];
uint8_t gVid0[16];
uint8_t gVpd0[20];
uint8_t gVwp0[2590];
uint8_t gVmp0[16];
uint8_t gTvo0[152];

const TagBlock kTagBlocks[DriverTagCount] = {
    {{'o', 'w', 'n', '0'}, sizeof gOwn0, gOwn0}, {{'v', 'e', 'r', '0'}, sizeof gVer0, gVer0},
    {{'c', 'r', 's', '0'}, sizeof gCrs0, gCrs0}, {{'c', 'v', 't', '0'}, sizeof gCvt0, gCvt0},
    {{'v', 'i', 'd', '0'}, sizeof gVid0, gVid0}, {{'v', 'p', 'd', '0'}, sizeof gVpd0, gVpd0},
    {{'v', 'w', 'p', '0'}, sizeof gVwp0, gVwp0}, {{'v', 'm', 'p', '0'}, sizeof gVmp0, gVmp0},
    {{'t', 'v', 'o', '0'}, sizeof gTvo0, gTvo0},
};

// Every tagged request the module makes.
struct RequestKind {
    uint32_t functionNumber;
    DriverTag tag;
    bool gated;
    bool clears;
};

const RequestKind kRequestKinds[] = {
    {3, TagVer0, false, true},  {4, TagCrs0, true, false},  {5, TagCvt0, true, true},
    {6, TagVid0, true, true},   {8, TagVpd0, true, false},  {9, TagVpd0, true, false},
    {10, TagVpd0, true, false}, {11, TagVpd0, true, false}, {26, TagVwp0, true, true},
    {28, TagVmp0, true, false}, {34, TagTvo0, true, true},
};

const uint32_t kOwn0InterfaceIdOffset = 12;
const uint32_t kOwn0FunctionCountOffset = 16;
const uint32_t kCapabilityMapFunction = 2;
const uint32_t kCapabilityBitsOffset = 8;
// No function number the module uses comes near this; a driver that claims more functions
// gets a map that covers this many, so that its claim cannot make the module allocate at will.
const uint32_t kMaxMappedFunctions = 256;

struct StatusClass {
    uint32_t status;
    DriverResult result;
};

const StatusClass kStatusClasses[] = {
    {0x8000, DriverOk},     {0x8001, DriverFailed}, {0x8002, DriverFailed}, {0x8003, DriverPartial},
    {0x8004, DriverFailed}, {0x8007, DriverFailed}, {0x8009, DriverFailed},
};

int32_t gLinkUseCount;
HMODULE gDriverLibrary;
KvapiProc gDriverProc;
uint8_t* gCapabilityMap;
uint32_t gCapabilityMapSize;

const RequestKind* FindRequestKind(uint32_t functionNumber)
{
    for (const RequestKind& kind : kRequestKinds) {
        if (kind.functionNumber == functionNumber) {
            return &kind;
        }
    }
    return nullptr;
}

void WriteHeader(uint8_t* block, uint32_t functionNumber, const char* tag)
{
    WriteU32(block, kRequestFunctionOffset, functionNumber);
    for (uint32_t i = 0; i < 4; ++i) {
        block[kRequestTagOffset + i] = static_cast<uint8_t>(tag[i]);
    }
}

bool LoadDriverLibrary(HINSTANCE module)
{
    char path[MAX_PATH];
    if (!PathBesideModule(module, "KVAPI32.DLL", path, sizeof path)) {
        return false;
    }
    UINT previousMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryA(path);
    SetErrorMode(previousMode);
    gDriverLibrary = library;
    return static_cast<int32_t>(reinterpret_cast<INT_PTR>(library)) >= 32;
}

void RunStartupQueries()
{
    QueryVer0();
    QueryModeTable();
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 0;
    uint32_t rate = 0;
    CurrentMode(&width, &height, &depth, &rate);
    QueryViewportTable(width, height, depth, 0);
    QueryCvt0(width, height, depth, rate);
    QueryVid0();
    QueryTvo0();
}

}  // namespace

uint8_t* GetDriverBlock(DriverTag tag)
{
    return kTagBlocks[tag].storage;
}

uint32_t GetDriverBlockSize(DriverTag tag)
{
    return kTagBlocks[tag].size;
}

bool IsDriverEntryKnown()
{
    return gDriverProc != nullptr;
}

int32_t GetLinkUseCount()
{
    return gLinkUseCount;
}

uint32_t GetDriverInterfaceId()
{
    return ReadU32(gOwn0, kOwn0InterfaceIdOffset);
}

uint32_t GetDriverFunctionCount()
{
    return ReadU32(gOwn0, kOwn0FunctionCountOffset);
}

const uint8_t* GetCapabilityMap()
{
    return gCapabilityMap;
}

uint32_t GetCapabilityMapSize()
{
    return gCapabilityMapSize;
}

uint32_t CapabilityMapSizeFor(uint32_t functionCount)
{
    // (N - 1) / 8 + 10 with the division truncating toward zero: N = 0 gives 10 as N = 1 does.
    if (functionCount == 0) {
        return 10;
    }
    return (functionCount - 1) / 8 + 10;
}

DriverResult ClassifyStatus(uint32_t status)
{
    for (const StatusClass& entry : kStatusClasses) {
        if (entry.status == status) {
            return entry.result;
        }
    }
    return DriverFailed;
}

bool HasDriverFunction(int32_t functionNumber)
{
    if (functionNumber < 1 || gCapabilityMap == nullptr) {
        return false;
    }
    uint32_t k = static_cast<uint32_t>(functionNumber);
    if (GetDriverFunctionCount() < k) {
        return false;
    }
    uint32_t byteOffset = kCapabilityBitsOffset + (k - 1) / 8;
    // The map was sized for the FunctionCount of the handshake; a count the driver changed
    // since then must not lead past it.
    if (byteOffset >= gCapabilityMapSize) {
        return false;
    }
    return (gCapabilityMap[byteOffset] >> ((k - 1) % 8) & 1) != 0;
}

bool CanSendDriverRequest(uint32_t functionNumber)
{
    const RequestKind* kind = FindRequestKind(functionNumber);
    if (kind == nullptr || gDriverProc == nullptr) {
        return false;
    }
    return !kind->gated || HasDriverFunction(static_cast<int32_t>(functionNumber));
}

void WriteDriverRequest(uint32_t functionNumber, const DriverPayload* payload)
{
    const RequestKind* kind = FindRequestKind(functionNumber);
    if (kind == nullptr) {
        return;
    }
    const TagBlock& block = kTagBlocks[kind->tag];
    if (payload != nullptr && payload->length <= sizeof payload->bytes && payload->offset <= block.size &&
        payload->length <= block.size - payload->offset) {
        CopyBytes(block.storage + payload->offset, payload->bytes, payload->length);
    }
    WriteHeader(block.storage, functionNumber, block.tag);
}

DriverResult CallDriverRequest(uint32_t functionNumber)
{
    const RequestKind* kind = FindRequestKind(functionNumber);
    if (kind == nullptr || gDriverProc == nullptr) {
        return DriverFailed;
    }
    const TagBlock& block = kTagBlocks[kind->tag];
    gDriverProc(DriverOpRequest, block.size, block.storage, 0, 0);
    return ClassifyStatus(ReadU32(block.storage, kRequestStatusOffset));
}

DriverResult SendDriverRequest(uint32_t functionNumber, const DriverPayload* payload)
{
    const RequestKind* kind = FindRequestKind(functionNumber);
    if (kind == nullptr) {
        return DriverFailed;
    }
    if (kind->clears) {
        ClearBytes(kTagBlocks[kind->tag].storage, kTagBlocks[kind->tag].size);
    }
    if (!CanSendDriverRequest(functionNumber)) {
        return DriverFailed;
    }
    WriteDriverRequest(functionNumber, payload);
    return CallDriverRequest(functionNumber);
}

bool CallDriverEntry(uint32_t operation, uint32_t size, void* block)
{
    if (gDriverProc == nullptr) {
        return false;
    }
    gDriverProc(operation, size, block, 0, 0);
    return true;
}

DriverResult DriverHandshake()
{
    if (gDriverProc == nullptr) {
        return DriverFailed;
    }
    WriteHeader(gOwn0, 1, kTagBlocks[TagOwn0].tag);
    gDriverProc(DriverOpRequest, sizeof gOwn0, gOwn0, 0, 0);
    if (GetDriverInterfaceId() != kRequiredInterfaceId) {
        return DriverFailed;
    }
    if (ClassifyStatus(ReadU32(gOwn0, kRequestStatusOffset)) == DriverFailed) {
        return DriverFailed;
    }
    uint32_t functionCount = GetDriverFunctionCount();
    if (functionCount > kMaxMappedFunctions) {
        functionCount = kMaxMappedFunctions;
    }
    uint32_t mapSize = CapabilityMapSizeFor(functionCount);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, mapSize);
    uint8_t* map = memory != nullptr ? static_cast<uint8_t*>(GlobalLock(memory)) : nullptr;
    if (map == nullptr) {
        return DriverFailed;
    }
    gCapabilityMap = map;
    gCapabilityMapSize = mapSize;
    WriteU32(map, kRequestFunctionOffset, kCapabilityMapFunction);
    gDriverProc(DriverOpRequest, mapSize, map, 0, 0);
    return ClassifyStatus(ReadU32(map, kRequestStatusOffset));
}

uint32_t ProbeDriver()
{
    if (gDriverProc == nullptr) {
        return 0;
    }
    return gDriverProc(DriverOpProbe, 0, nullptr, 0, 0);
}

DriverResult OpenDriverLink(HINSTANCE module)
{
    if (gLinkUseCount != 0) {
        ++gLinkUseCount;
        return DriverOk;
    }
    if (!LoadDriverLibrary(module)) {
        return DriverFailed;
    }
    KvapiProc proc = ProcAs<KvapiProc>(GetProcAddress(gDriverLibrary, "KVAPIProc"));
    if (proc == nullptr) {
        return DriverFailed;
    }
    gDriverProc = proc;
    if (DriverHandshake() == DriverFailed) {
        return DriverFailed;
    }
    if (ProbeDriver() == 0) {
        return DriverFailed;
    }
    RunStartupQueries();
    ++gLinkUseCount;
    return DriverOk;
}
