// The control panel's own view of the display driver: the mode table read through
// KVAPI32.DLL's KVAPIProc, the lists the Settings page builds from it, and the change of
// display mode that the page's apply makes.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace deskhost {

struct ModeEntry {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t depth = 0;
    std::uint8_t rate = 0;
};

struct DesktopSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    friend bool operator==(const DesktopSize&, const DesktopSize&) = default;
};

// The driver's library, loaded for as long as the panel shows the page.
class DisplayDriver {
public:
    DisplayDriver() = default;
    DisplayDriver(const DisplayDriver&) = delete;
    DisplayDriver& operator=(const DisplayDriver&) = delete;
    ~DisplayDriver();

    bool Open(const std::string& libraryPath);
    void Close();
    bool IsOpen() const { return proc_ != nullptr; }
    // The mode table; empty when the driver is absent or refuses.
    std::vector<ModeEntry> ReadModeTable() const;
    // Tells the driver to put that size and depth into force at the rate in force (the
    // stand-in driver's KVAPISetMode); false when it has no such mode or no such entry.
    bool SetMode(const ModeEntry& mode) const;

private:
    using KvapiProc = DWORD(WINAPI*)(DWORD, DWORD, LPVOID, DWORD, DWORD);
    using SetModeProc = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD);
    HMODULE library_ = nullptr;
    KvapiProc proc_ = nullptr;
    SetModeProc setMode_ = nullptr;
};

// The distinct desktop sizes in ascending order (at most 31), as the Settings page's desktop
// slider offers them.
std::vector<DesktopSize> DesktopSizesOf(const std::vector<ModeEntry>& modes);
// The distinct depths of one desktop size in ascending order (at most 7).
std::vector<std::uint32_t> DepthsOf(const std::vector<ModeEntry>& modes, std::uint32_t width,
                                    std::uint32_t height);
// The screen's mode now: desktop size, depth and refresh rate.
ModeEntry CurrentScreenMode();

// Puts a display mode into force through the driver and has the system's screen follow it,
// which tells every top-level window. False when the driver or the screen has no such mode.
bool ChangeDisplayMode(const DisplayDriver& driver, const ModeEntry& mode);

}  // namespace deskhost
