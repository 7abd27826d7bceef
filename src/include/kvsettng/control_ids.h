// The Settings page's controls that the component works with, one role each, and their
// identifiers in the two forms of the page: the page that gets its screen-area row cloned in
// (Cloned) and the page with a hidden screen-area row of its own (Native). The component's
// page records and help-id table and the stand-in control panel's harnesses read this table.
#pragma once

#include <stdint.h>

enum ControlRole : int32_t {
    RolePreviewControl,      // the monitor picture
    RoleProbeControl,        // its style tells the two forms of the page apart
    RoleDepthCombo,          // the colour depths
    RoleRaisedControl,       // raised by the Cloned layout
    RoleHelpAreaAnchor,      // the top of the cloned help area
    RoleScreenRowAnchor,     // the top of the screen-area row
    RoleBelowScreenRow,      // placed under the screen-area row
    RoleHelpAreaModel,       // model of the cloned help area and of the added controls' font
    RoleDesktopSlider,       // the desktop-area trackbar
    RoleDesktopLabel,        // the desktop size
    RoleLessLabel,           // the desktop slider's "Less" end
    RoleMoreLabel,           // the desktop slider's "More" end
    RoleLoweredControl,      // lowered by the Cloned layout
    RoleHelpArea,            // whose rectangle is the context-help area
    RoleNativeScreenSlider,  // the Native page's own second trackbar
    RoleNativeScreenLabel,   // the Native page's own second size label
    RoleScreenLessLabel,     // the screen slider's "Less" end
    RoleScreenMoreLabel,     // the screen slider's "More" end
    RoleScreenSlider,        // the screen-area trackbar
    RoleScreenLabel,         // the screen-area size
    RoleRangeCommand,        // a WM_COMMAND from it re-ranges the screen slider
    ControlRoleCount,
};

struct ControlIdRow {
    int32_t atLoad;  // before either form is recognised
    int32_t cloned;
    int32_t native;
};

// Some roles share an identifier: MoreLabel and RangeCommand; LoweredControl and HelpArea
// until the Cloned form moves the help area to the control it creates; and in the Cloned form
// HelpAreaAnchor and ScreenLessLabel, so that two of its controls carry 1216.
inline constexpr ControlIdRow kControlIds[ControlRoleCount] = {
    /* PreviewControl */ {1205, 1205, 1203},
    /* ProbeControl */ {200, 200, 1212},
    /* DepthCombo */ {1200, 1200, 1200},
    /* RaisedControl */ {1206, 1206, 1204},
    /* HelpAreaAnchor */ {1216, 1216, 1211},
    /* ScreenRowAnchor */ {1212, 1212, 1209},
    /* BelowScreenRow */ {1211, 1211, 1219},
    /* HelpAreaModel */ {201, 201, 1205},
    /* DesktopSlider */ {1204, 1204, 1202},
    /* DesktopLabel */ {1207, 1207, 1206},
    /* LessLabel */ {1209, 1209, 1209},
    /* MoreLabel */ {1210, 1210, 1210},
    /* LoweredControl */ {1213, 1213, 1213},
    /* HelpArea */ {1213, 202, 1213},
    /* NativeScreenSlider */ {1214, 1214, 1214},
    /* NativeScreenLabel */ {1215, 1215, 1215},
    /* ScreenLessLabel */ {1216, 1216, 1216},
    /* ScreenMoreLabel */ {1217, 1217, 1217},
    /* ScreenSlider */ {100, 100, 100},
    /* ScreenLabel */ {101, 101, 101},
    /* RangeCommand */ {1210, 1210, 1210},
};

// The help context of every screen-area control in the help file beside the module.
inline constexpr uint32_t kScreenAreaHelpContext = 150;
