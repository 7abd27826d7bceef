// Dialog templates (DLGTEMPLATE and DLGTEMPLATEEX) read from untrusted bytes, and written for
// the message boxes that winsim builds itself.
#pragma once

#include <winsim/win32.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace winsim::detail {

struct DialogItemTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    DWORD id = 0;
    std::string className;           // predefined atoms resolved to their names
    std::string title;               // an ordinal title as 0xFF and the ordinal's two bytes
    std::vector<BYTE> creationData;  // the size word and what follows it; empty when none
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    std::string className;  // empty: the dialog class
    std::string caption;
    bool hasFont = false;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::string face;
    std::vector<DialogItemTemplate> items;
};

// None when the bytes end before the template does, or a class is an unknown ordinal.
std::optional<DialogTemplate> ParseDialogTemplate(const void* bytes, std::size_t size);
// A DLGTEMPLATE (not the extended form) for the template; the font, if any, in points and face.
std::vector<BYTE> BuildDialogTemplate(const DialogTemplate& dialog);

}  // namespace winsim::detail
