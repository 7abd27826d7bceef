// The link to the display driver's interface library KVAPI32.DLL and the request protocol
// that every exchange with the driver follows.
#pragma once

#include "platform/platform.h"

// How a request went, from the status word that the driver wrote into its block.
enum DriverResult : int32_t {
    DriverOk = 0,
    DriverPartial = 1,
    DriverFailed = 2,
};

// KVAPIProc's first argument.
enum DriverOperation : uint32_t {
    DriverOpRequest = 1,
    DriverOpProbe = 2,
    DriverOpPersistValue = 7,
};

// The driver's function numbers, written at the start of a request's block.
enum DriverFunction : uint32_t {
    FnHandshake = 1,
    FnCapabilityMap = 2,
    FnDriverVersion = 3,
    FnModeTable = 4,
    FnModeDetails = 5,
    FnAdapterInfo = 6,
    FnGetViewportOrigin = 8,
    FnSetViewportOrigin = 9,
    FnGetViewportSize = 10,
    FnSetViewportSize = 11,
    FnViewportTable = 26,
    FnSetViewportMode = 28,
    FnTvOutput = 34,
};

// The request families, each named by the tag written into its blocks. A family has one
// block in module-wide storage that all its requests share, so a reply stays readable until
// the family's next request.
enum DriverTag : int32_t {
    TagHandshake,      // "own0"
    TagDriverVersion,  // "ver0"
    TagModeTable,      // "crs0"
    TagModeDetails,    // "cvt0": about one mode
    TagAdapterInfo,    // "vid0"
    TagViewport,       // "vpd0": the viewport's origin and size, got and set
    TagViewportTable,  // "vwp0": the screen areas of one mode
    TagViewportMode,   // "vmp0"
    TagTvOutput,       // "tvo0"
    DriverTagCount,
};

// Arguments written into a request's block, at `offset`, before it is sent.
struct DriverPayload {
    uint32_t offset;
    uint32_t length;
    uint8_t bytes[16];
};

// Loads the driver's library beside `module`, finds KVAPIProc, makes the handshake and probes
// the driver; later calls only count. The start-up queries are the module start-up's.
DriverResult OpenDriverLink(HINSTANCE module);
bool IsDriverEntryKnown();
bool HasDriverFunction(DriverFunction function);
DriverResult ClassifyStatus(uint32_t status);
// Bytes of the capability map for a driver that claims `functionCount` functions.
uint32_t CapabilityMapSizeFor(uint32_t functionCount);

// The request steps of a tagged request: clear (when the request clears its block), test the
// link and the capability, write the payload, FunctionNumber and Tag, call, classify.
DriverResult SendDriverRequest(DriverFunction function, const DriverPayload* payload);
// The parts of SendDriverRequest for a caller that decides between writing and sending.
void WriteDriverRequest(DriverFunction function, const DriverPayload* payload);
DriverResult CallDriverRequest(DriverFunction function);

// A call of KVAPIProc with a block that is not a tagged request (PersistValue). Returns
// false without calling when the entry is not known.
bool CallDriverEntry(DriverOperation operation, uint32_t size, void* block);

// The block of a request family, where its last reply stays.
uint8_t* GetDriverBlock(DriverTag tag);

// The two steps of OpenDriverLink after the library is loaded, and what the handshake learnt.
DriverResult DriverHandshake();
uint32_t ProbeDriver();
uint32_t GetDriverInterfaceId();
uint32_t GetDriverFunctionCount();

#ifdef KVSETTNG_TEST_ACCESSORS
// For tests and tools; not built into KVSETTNG.DLL.
int32_t GetLinkUseCount();
// The capability map as the driver wrote it (null until allocated), and its size in bytes.
const uint8_t* GetCapabilityMap();
uint32_t GetCapabilityMapSize();
uint32_t GetDriverBlockSize(DriverTag tag);
// Back to the state of a fresh process: no link, no library, no capability map, every block
// cleared. For the fuzz targets, which run many inputs in one process.
void ResetDriverLink();
#endif
