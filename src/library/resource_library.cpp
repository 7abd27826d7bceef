#include "library/resource_library.h"

#include "library/res_format.h"
#include "platform/module_path.h"

namespace {

// Index 0 is the caption; the others are indexed by LibraryStatus. Each takes the path.
const char* const kBuiltInMessages[] = {
    "Execution Error",
    "This application requires a newer version of %s.",
    "This application requires an older version of %s.",
    ("This application cannot load the resource library %s. Either not enough memory or it does not "
     "exist."),
    "Not enough memory to load %s. Please quit other applications to free up some memory.",
};
const int32_t kBuiltInMessageCount = sizeof kBuiltInMessages / sizeof kBuiltInMessages[0];

const uint16_t kFirstCheckedFormat = 2;
const uint32_t kLibraryCaptionSize = 32;
const uint32_t kLibraryTextSize = 64;
// The longest built-in text with a path of MAX_PATH characters, with room to spare.
const uint32_t kErrorMessageSize = 512;
const uint32_t kShowTextSize = 256;
const uint32_t kShowCaptionSize = 100;

HINSTANCE gResourceLibrary;
char gResStringBuffer[kResStringBufferSize];

uint16_t ReadU16(const uint8_t* data, uint32_t offset)
{
    return static_cast<uint16_t>(data[offset] | data[offset + 1] << 8);
}

const char* BuiltInText(LibraryStatus status)
{
    if (status < 1 || status >= kBuiltInMessageCount) {
        return "";
    }
    return kBuiltInMessages[status];
}

// LoadStringA into `buffer`, which reads empty when the string is missing.
int LoadTextInto(HINSTANCE library, UINT id, char* buffer, uint32_t size)
{
    buffer[0] = '\0';
    const int copied = LoadStringA(library, id, buffer, static_cast<int>(size));
    if (copied <= 0) {
        buffer[0] = '\0';
        return 0;
    }
    return copied;
}

void ReportLibraryError(LibraryStatus status, const char* path, HINSTANCE library,
                        const LibraryVersionRecord* record)
{
    char libraryCaption[kLibraryCaptionSize];
    char libraryText[kLibraryTextSize];
    const char* caption = kBuiltInMessages[0];
    const char* text = BuiltInText(status);
    if (record != nullptr && library != nullptr && record->formatVersion >= kFirstCheckedFormat) {
        const UINT base = record->messageBaseId;
        LoadTextInto(library, base, libraryCaption, sizeof libraryCaption);
        caption = libraryCaption;
        if (status == LibraryTooOld || status == LibraryTooNew) {
            LoadTextInto(library, base + static_cast<UINT>(status), libraryText, sizeof libraryText);
            // A text whose conversions do not take the one path is not used as a format.
            if (FormatFits(libraryText, "s")) {
                text = libraryText;
            }
        }
    }
    char message[kErrorMessageSize];
    FormatResString(message, sizeof message, text, "s", path != nullptr ? path : "");
    MessageBoxA(GetForegroundWindow(), message, caption, MB_OK | MB_ICONERROR);
}

}  // namespace

bool ReadLibraryVersionRecord(const uint8_t* data, uint32_t size, LibraryVersionRecord* record)
{
    if (data == nullptr || size < kLibraryVersionRecordSize) {
        return false;
    }
    record->formatVersion = ReadU16(data, 0);
    record->oldestVersion = ReadU16(data, 2);
    record->currentVersion = ReadU16(data, 4);
    record->messageBaseId = ReadU16(data, 6);
    record->extraValue = static_cast<uint32_t>(ReadU16(data, 8)) | static_cast<uint32_t>(ReadU16(data, 10))
                                                                       << 16;
    return true;
}

LibraryStatus CheckLibraryVersion(const LibraryVersionRecord& record, uint32_t requiredVersion,
                                  uint32_t clientVersion)
{
    if (record.formatVersion < kFirstCheckedFormat) {
        return LibraryTooOld;
    }
    if (record.currentVersion < requiredVersion) {
        return LibraryTooOld;
    }
    if (record.oldestVersion > clientVersion) {
        return LibraryTooNew;
    }
    return LibraryAccepted;
}

bool LoadResourceLibrary(HINSTANCE module, const char* fileName, uint32_t requiredVersion,
                         uint32_t clientVersion)
{
    if (fileName == nullptr) {
        return false;
    }
    char path[MAX_PATH];
    if (!PathBesideModule(module, fileName, path, sizeof path)) {
        // No path to load from: reported as a library that cannot be loaded.
        ReportLibraryError(LibraryLoadFailed, fileName, nullptr, nullptr);
        gResourceLibrary = nullptr;
        return false;
    }
    gResourceLibrary = LoadVersionedLibrary(path, requiredVersion, clientVersion, nullptr);
    return gResourceLibrary != nullptr;
}

HINSTANCE LoadVersionedLibrary(const char* path, uint32_t requiredVersion, uint32_t clientVersion,
                               uint32_t* extraValue)
{
    HINSTANCE library = LoadLibraryA(path);
    LibraryStatus status = LibraryLoadFailed;
    LibraryVersionRecord record = {};
    bool haveRecord = false;
    if (library != nullptr) {
        HRSRC found = FindResourceA(library, "CustomVerInfo", RT_RCDATA);
        HGLOBAL data = found != nullptr ? LoadResource(library, found) : nullptr;
        if (found == nullptr) {
            status = LibraryTooOld;
        } else if (data == nullptr) {
            status = LibraryRecordNotLoaded;
        } else {
            // A record shorter than its fields is not read at all: the library then has no
            // usable record.
            haveRecord = ReadLibraryVersionRecord(static_cast<const uint8_t*>(LockResource(data)),
                                                  SizeofResource(library, found), &record);
            status = haveRecord ? CheckLibraryVersion(record, requiredVersion, clientVersion) : LibraryTooOld;
            if (haveRecord && extraValue != nullptr) {
                *extraValue = record.extraValue;
            }
            FreeResource(data);
        }
    }
    if (status == LibraryAccepted) {
        return library;
    }
    ReportLibraryError(status, path, library, haveRecord ? &record : nullptr);
    if (library != nullptr) {
        FreeLibrary(library);
    }
    return nullptr;
}

HINSTANCE GetResourceLibrary()
{
    return gResourceLibrary;
}

const char* LoadResString(UINT id)
{
    gResStringBuffer[0] = '\0';
    if (gResourceLibrary == nullptr) {
        return nullptr;
    }
    // A string may hold a 0 among its characters; one that holds it first reads empty.
    if (LoadTextInto(gResourceLibrary, id, gResStringBuffer, sizeof gResStringBuffer) < 1 ||
        gResStringBuffer[0] == '\0') {
        return nullptr;
    }
    return gResStringBuffer;
}

const char* LoadResFormat(UINT id, const char* slots)
{
    const char* format = LoadResString(id);
    return FormatFits(format, slots) ? format : nullptr;
}

int ShowResMessage(HWND owner, UINT textId, UINT captionId, UINT flags)
{
    char text[kShowTextSize];
    char caption[kShowCaptionSize];
    text[0] = '\0';
    caption[0] = '\0';
    if (gResourceLibrary != nullptr) {
        LoadTextInto(gResourceLibrary, textId, text, sizeof text);
        LoadTextInto(gResourceLibrary, captionId, caption, sizeof caption);
    }
    return MessageBoxA(owner, text, caption, flags);
}
