// The stand-in display driver: a configurable model of a panning display adapter and the
// driver side of the KVAPIProc protocol. The same source serves winsim (linked in and
// registered as KVAPI32.DLL) and the real KVAPI32.DLL (configured from a file beside it).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvapi {

// Operations of KVAPIProc's first argument.
enum Operation : std::uint32_t {
    kRequest = 1,
    kProbe = 2,
    kPersistValue = 7,
};

// Status words the driver writes.
enum Status : std::uint32_t {
    kStatusOk = 0x8000,
    kStatusFailed = 0x8001,
    kStatusUnsupported = 0x8002,
    kStatusPartial = 0x8003,
    kStatusBadArgument = 0x8004,
};

struct Size {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Point {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Mode {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t depth = 0;
    std::uint8_t rate = 0;
    friend bool operator==(const Mode&, const Mode&) = default;
};

// The screen areas the adapter can show for one desktop size and depth (any refresh rate).
struct ViewportTable {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t depth = 0;
    std::vector<Size> sizes;
    // Extra bytes 8 and 9 of each record as the driver writes them (the component ignores them).
    std::uint8_t trailing[2] = {0, 0};
    friend bool operator==(const ViewportTable&, const ViewportTable&) = default;
};

struct AdapterConfig {
    std::uint32_t interfaceId = 360;
    std::uint32_t functionCount = 34;
    std::vector<int> functions;  // the function numbers the capability map announces
    // When set, the capability map's bytes exactly as written (spare bits included).
    std::optional<std::vector<std::uint8_t>> capabilityBytes;
    std::uint32_t probeAnswer = 1;

    std::vector<Mode> modes;  // the mode table, in the driver's order
    std::vector<ViewportTable> viewports;

    // When set, the count a reply claims instead of the true one (a misbehaving driver).
    std::optional<std::uint32_t> modeCountClaim;
    std::optional<std::uint32_t> viewportCountClaim;

    Mode current;   // the display mode in force
    Size viewport;  // the visible screen area
    Point origin;   // the viewport's top-left within the desktop
    std::uint32_t viewportMode = 0;

    // Persisted values by (section, value name).
    std::map<std::pair<std::string, std::string>, std::string> persisted;

    // A status word to answer for a function number instead of the model's own. The reply
    // fields are written as usual; a setting request changes the adapter only when the
    // word is Ok.
    std::map<std::uint32_t, std::uint32_t> statusOverride;

    friend bool operator==(const AdapterConfig&, const AdapterConfig&) = default;
};

// A realistic adapter: desktops from 640x480 to 1600x1200 at 8, 16 and 32 bits per pixel
// with several refresh rates, each with its smaller screen areas; 1024x768x16 at 75 Hz in
// force, showing an 800x600 screen area.
AdapterConfig DefaultConfig();

// Reads a configuration file's text. Lines are `key = value`; `#` starts a comment.
// Returns nullopt and sets `error` (with the line number) when the text is not valid.
std::optional<AdapterConfig> ParseConfig(std::string_view text, std::string* error);
std::string FormatConfig(const AdapterConfig& config);

struct LogEntry {
    std::uint32_t operation = 0;
    std::uint32_t size = 0;
    std::uint32_t function = 0;  // 0 for Probe and PersistValue
    std::uint32_t result = 0;    // what KVAPIProc returned
    std::string tag;             // four characters, or empty
    // The block as the component sent it and as the driver left it (at most 4096 bytes).
    std::vector<std::uint8_t> request;
    std::vector<std::uint8_t> reply;
    // PersistValue: section, value name and value text; a null pointer is logged as nullopt.
    std::optional<std::string> section;
    std::optional<std::string> valueName;
    std::optional<std::string> valueText;
};

// Observes changes of the display: the desktop mode and the visible screen area.
using DisplayListener = std::function<void(const Mode& desktop, const Size& screen)>;

class Adapter {
public:
    explicit Adapter(AdapterConfig config = DefaultConfig());

    // The driver side of KVAPIProc; reads and writes only the `size` bytes at `block`.
    std::uint32_t Call(std::uint32_t operation, std::uint32_t size, void* block);

    AdapterConfig& config() { return config_; }
    const AdapterConfig& config() const { return config_; }
    const std::vector<LogEntry>& log() const { return log_; }
    void ClearLog() { log_.clear(); }
    // The log as readable text, one call a line.
    std::string FormatLog() const;

    // Changes the display mode as the control panel's own apply does; the screen area
    // becomes the whole desktop.
    bool SetMode(const Mode& mode);
    void SetDisplayListener(DisplayListener listener);

private:
    AdapterConfig config_;
    std::vector<LogEntry> log_;
    DisplayListener listener_;
};

// The adapter that the exported KVAPIProc serves.
Adapter& TheAdapter();
void ResetAdapter(AdapterConfig config);

}  // namespace kvapi
