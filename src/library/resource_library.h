// The resource library KVSettng.RLB beside the module: every text the user sees, the
// preview bitmaps and the confirmation dialog, checked by its version record when loaded.
#pragma once

#include "platform/platform.h"

// What the module takes from the resource library, by identifier.
enum ResourceId : UINT {
    ResBoxCaption = 10,
    ResSettingsPageTitle = 11,
    ResNotConfirmedText = 20,
    ResAboutToApplyText = 21,
    ResNotSetText = 22,
    ResHelpAreaText = 30,
    ResSizeFormat = 31,
    ResMonitorBitmap = 100,
    ResOverlayBitmap = 101,
    ResDesktopBitmap = 102,
    ResConfirmDialog = 103,
};

// The outcome of loading a library; 1 to 4 also index the built-in message texts and are
// added to the library's own message base.
enum LibraryStatus : int32_t {
    LibraryTooOld = 1,
    LibraryTooNew = 2,
    LibraryLoadFailed = 3,
    LibraryRecordNotLoaded = 4,
    LibraryAccepted = 99,
};

// The library's "CustomVerInfo" RCDATA record, little-endian, 12 bytes.
struct LibraryVersionRecord {
    uint16_t formatVersion;
    uint16_t oldestVersion;
    uint16_t currentVersion;
    uint16_t messageBaseId;
    uint32_t extraValue;
};

const uint32_t kLibraryVersionRecordSize = 12;
const uint32_t kResStringBufferSize = 256;

// Reads a record from `size` bytes of resource data; false when it is too short to hold one.
bool ReadLibraryVersionRecord(const uint8_t* data, uint32_t size, LibraryVersionRecord* record);
// The status that a record gives against the caller's versions (never LoadFailed or
// RecordNotLoaded).
LibraryStatus CheckLibraryVersion(const LibraryVersionRecord& record, uint32_t requiredVersion,
                                  uint32_t clientVersion);

bool LoadResourceLibrary(HINSTANCE module, const char* fileName, uint32_t requiredVersion,
                         uint32_t clientVersion);
// Loads the library at `path` and checks its record; reports every failure in a message box
// and then returns null. `extraValue` (optional) receives the record's extra value.
HINSTANCE LoadVersionedLibrary(const char* path, uint32_t requiredVersion, uint32_t clientVersion,
                               uint32_t* extraValue);

HINSTANCE GetResourceLibrary();
// The string in the one shared buffer, valid until the next call; null when the library has
// no such string or it is empty.
const char* LoadResString(UINT id);
// LoadResString for a text used as a format: null also when its conversions do not fit
// `slots` (see FormatFits).
const char* LoadResFormat(UINT id, const char* slots);
int ShowResMessage(HWND owner, UINT textId, UINT captionId, UINT flags);
