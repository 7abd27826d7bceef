// The link to the display driver's interface library KVAPI32.DLL and the request protocol
// that every exchange with the driver follows.
#pragma once

#include "platform/platform.h"

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

// The request families; each has one block in module-wide storage that all its requests share.
enum DriverTag : int32_t {
    TagOwn0,
    TagVer0,
    TagCrs0,
    TagCvt0,
    TagVid0,
    TagVpd0,
    TagVwp0,
    TagVmp0,
    TagTvo0,
    DriverTagCount,
};

// Fields common to every tagged request block.
const uint32_t kRequestFunctionOffset = 0;
const uint32_t kRequestStatusOffset = 4;
const uint32_t kRequestTagOffset = 8;
const uint32_t kRequestPayloadOffset = 12;

const uint32_t kRequiredInterfaceId = 360;

// Arguments written into a request's block, at `offset`, before it is sent.
struct DriverPayload {
    uint32_t offset;
    uint32_t length;
    uint8_t bytes[16];
};

DriverResult OpenDriverLink(HINSTANCE module);
bool HasDriverFunction(int32_t functionNumber);
DriverResult ClassifyStatus(uint32_t status);

// The request steps of a tagged request: clear (when the request clears its block), test the
// link and the capability, write the payload, FunctionNumber and Tag, call, classify.
DriverResult SendDriverRequest(uint32_t functionNumber, const DriverPayload* payload);
// The parts of SendDriverRequest for a caller that decides between writing and sending.
bool CanSendDriverRequest(uint32_t functionNumber);
void WriteDriverRequest(uint32_t functionNumber, const DriverPayload* payload);
DriverResult CallDriverRequest(uint32_t functionNumber);

DriverResult DriverHandshake();
uint32_t ProbeDriver();

// A call of KVAPIProc with a block that is not a tagged request (PersistValue). Returns
// false without calling when the entry is not known.
bool CallDriverEntry(uint32_t operation, uint32_t size, void* block);

// The block of a request family, and its size.
uint8_t* GetDriverBlock(DriverTag tag);
uint32_t GetDriverBlockSize(DriverTag tag);

// Link state.
bool IsDriverEntryKnown();
int32_t GetLinkUseCount();
uint32_t GetDriverInterfaceId();
uint32_t GetDriverFunctionCount();
// The capability map as the driver wrote it (null until allocated), and its size in bytes.
const uint8_t* GetCapabilityMap();
uint32_t GetCapabilityMapSize();
uint32_t CapabilityMapSizeFor(uint32_t functionCount);
