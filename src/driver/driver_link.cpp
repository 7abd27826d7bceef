#include "driver/driver_link.h"

#include "driver/request_block.h"
#include "platform/module_path.h"

typedef DWORD(WINAPI* KvapiProc)(DWORD operation, DWORD size, LPVOID block, DWORD zero1, DWORD zero2);

namespace {

struct TagBlock {
    char tag[kRequestTagSize];
    uint32_t size;
    uint8_t* storage;
};

uint8_t gHandshake[kHandshakeBlockSize];
uint8_t gDriverVersion[kDriverVersionBlockSize];
uint8_t gModeTable[kModeTableBlockSize];
uint8_t gModeDetails[kModeDetailsBlockSize];
uint8_t gAdapterInfo[kAdapterInfoBlockSize];
uint8_t gViewport[kViewportBlockSize];
uint8_t gViewportTable[kViewportTableBlockSize];
uint8_t gViewportMode[kViewportModeBlockSize];
uint8_t gTvOutput[kTvOutputBlockSize];

const TagBlock kTagBlocks[DriverTagCount] = {
    {{'o', 'w', 'n', '0'}, sizeof gHandshake, gHandshake},
    {{'v', 'e', 'r', '0'}, sizeof gDriverVersion, gDriverVersion},
    {{'c', 'r', 's', '0'}, sizeof gModeTable, gModeTable},
    {{'c', 'v', 't', '0'}, sizeof gModeDetails, gModeDetails},
    {{'v', 'i', 'd', '0'}, sizeof gAdapterInfo, gAdapterInfo},
    {{'v', 'p', 'd', '0'}, sizeof gViewport, gViewport},
    {{'v', 'w', 'p', '0'}, sizeof gViewportTable, gViewportTable},
    {{'v', 'm', 'p', '0'}, sizeof gViewportMode, gViewportMode},
    {{'t', 'v', 'o', '0'}, sizeof gTvOutput, gTvOutput},
};

// Every tagged request the module makes after the handshake. A gated request is sent only
// when the capability map has its function; a clearing one zeroes its block first.
struct RequestKind {
    DriverFunction function;
    DriverTag tag;
    bool gated;
    bool clears;
};

const RequestKind kRequestKinds[] = {
    {FnDriverVersion, TagDriverVersion, false, true},
    {FnModeTable, TagModeTable, true, false},
    {FnModeDetails, TagModeDetails, true, true},
    {FnAdapterInfo, TagAdapterInfo, true, true},
    {FnGetViewportOrigin, TagViewport, true, false},
    {FnSetViewportOrigin, TagViewport, true, false},
    {FnGetViewportSize, TagViewport, true, false},
    {FnSetViewportSize, TagViewport, true, false},
    {FnViewportTable, TagViewportTable, true, true},
    {FnSetViewportMode, TagViewportMode, true, false},
    {FnTvOutput, TagTvOutput, true, true},
};

const uint32_t kRequiredInterfaceId = 360;
// More functions than any driver can have: a claim above this is a corrupt handshake, refused
// before it can make the module allocate at will (the map for it would take 8 KB).
const uint32_t kMaxDriverFunctions = 65536;

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
HGLOBAL gCapabilityMemory;
uint8_t* gCapabilityMap;
uint32_t gCapabilityMapSize;

const RequestKind* FindRequestKind(DriverFunction function)
{
    for (const RequestKind& kind : kRequestKinds) {
        if (kind.function == function) {
            return &kind;
        }
    }
    return nullptr;
}

void WriteHeader(uint8_t* block, DriverFunction function, const char* tag)
{
    WriteU32(block, kRequestFunctionOffset, function);
    for (uint32_t i = 0; i < kRequestTagSize; ++i) {
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

bool CanSendDriverRequest(DriverFunction function)
{
    const RequestKind* kind = FindRequestKind(function);
    if (kind == nullptr || gDriverProc == nullptr) {
        return false;
    }
    return !kind->gated || HasDriverFunction(function);
}

}  // namespace

uint8_t* GetDriverBlock(DriverTag tag)
{
    return kTagBlocks[tag].storage;
}

bool IsDriverEntryKnown()
{
    return gDriverProc != nullptr;
}

uint32_t GetDriverInterfaceId()
{
    return ReadU32(gHandshake, kHandshakeInterfaceIdOffset);
}

uint32_t GetDriverFunctionCount()
{
    return ReadU32(gHandshake, kHandshakeFunctionCountOffset);
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

bool HasDriverFunction(DriverFunction function)
{
    if (function < 1 || gCapabilityMap == nullptr) {
        return false;
    }
    if (GetDriverFunctionCount() < function) {
        return false;
    }
    uint32_t byteOffset = kCapabilityBitsOffset + (function - 1) / 8;
    // The map was sized for the FunctionCount of the handshake; a count the driver changed
    // since then must not lead past it.
    if (byteOffset >= gCapabilityMapSize) {
        return false;
    }
    return (gCapabilityMap[byteOffset] >> ((function - 1) % 8) & 1) != 0;
}

void WriteDriverRequest(DriverFunction function, const DriverPayload* payload)
{
    const RequestKind* kind = FindRequestKind(function);
    if (kind == nullptr) {
        return;
    }
    const TagBlock& block = kTagBlocks[kind->tag];
    if (payload != nullptr && payload->length <= sizeof payload->bytes && payload->offset <= block.size &&
        payload->length <= block.size - payload->offset) {
        CopyBytes(block.storage + payload->offset, payload->bytes, payload->length);
    }
    WriteHeader(block.storage, function, block.tag);
}

DriverResult CallDriverRequest(DriverFunction function)
{
    const RequestKind* kind = FindRequestKind(function);
    if (kind == nullptr || gDriverProc == nullptr) {
        return DriverFailed;
    }
    const TagBlock& block = kTagBlocks[kind->tag];
    gDriverProc(DriverOpRequest, block.size, block.storage, 0, 0);
    return ClassifyStatus(ReadU32(block.storage, kRequestStatusOffset));
}

DriverResult SendDriverRequest(DriverFunction function, const DriverPayload* payload)
{
    const RequestKind* kind = FindRequestKind(function);
    if (kind == nullptr) {
        return DriverFailed;
    }
    if (kind->clears) {
        ClearBytes(kTagBlocks[kind->tag].storage, kTagBlocks[kind->tag].size);
    }
    if (!CanSendDriverRequest(function)) {
        return DriverFailed;
    }
    WriteDriverRequest(function, payload);
    return CallDriverRequest(function);
}

bool CallDriverEntry(DriverOperation operation, uint32_t size, void* block)
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
    WriteHeader(gHandshake, FnHandshake, kTagBlocks[TagHandshake].tag);
    gDriverProc(DriverOpRequest, sizeof gHandshake, gHandshake, 0, 0);
    if (GetDriverInterfaceId() != kRequiredInterfaceId) {
        return DriverFailed;
    }
    if (ClassifyStatus(ReadU32(gHandshake, kRequestStatusOffset)) == DriverFailed) {
        return DriverFailed;
    }
    uint32_t functionCount = GetDriverFunctionCount();
    if (functionCount > kMaxDriverFunctions) {
        return DriverFailed;
    }
    uint32_t mapSize = CapabilityMapSizeFor(functionCount);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, mapSize);
    uint8_t* map = memory != nullptr ? static_cast<uint8_t*>(GlobalLock(memory)) : nullptr;
    if (map == nullptr) {
        if (memory != nullptr) {
            GlobalFree(memory);
        }
        return DriverFailed;
    }
    gCapabilityMemory = memory;
    gCapabilityMap = map;
    gCapabilityMapSize = mapSize;
    WriteU32(map, kRequestFunctionOffset, FnCapabilityMap);
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
    ++gLinkUseCount;
    return DriverOk;
}

#ifdef KVSETTNG_TEST_ACCESSORS
int32_t GetLinkUseCount()
{
    return gLinkUseCount;
}

const uint8_t* GetCapabilityMap()
{
    return gCapabilityMap;
}

uint32_t GetCapabilityMapSize()
{
    return gCapabilityMapSize;
}

uint32_t GetDriverBlockSize(DriverTag tag)
{
    return kTagBlocks[tag].size;
}

void ResetDriverLink()
{
    if (gCapabilityMemory != nullptr) {
        GlobalUnlock(gCapabilityMemory);
        GlobalFree(gCapabilityMemory);
    }
    if (gDriverLibrary != nullptr) {
        FreeLibrary(gDriverLibrary);
    }
    for (const TagBlock& block : kTagBlocks) {
        ClearBytes(block.storage, block.size);
    }
    gLinkUseCount = 0;
    gDriverLibrary = nullptr;
    gDriverProc = nullptr;
    gCapabilityMemory = nullptr;
    gCapabilityMap = nullptr;
    gCapabilityMapSize = 0;
}
#endif
