#include "page/page_state.h"

namespace {

enum ControlRole : int32_t {
    RolePreviewControl,
    RoleProbeControl,
    RoleDepthCombo,
    RoleRaisedControl,
    RoleHelpAreaAnchor,
    RoleScreenRowAnchor,
    RoleBelowScreenRow,
    RoleHelpAreaModel,
    RoleDesktopSlider,
    RoleDesktopLabel,
    RoleLessLabel,
    RoleMoreLabel,
    RoleLoweredControl,
    RoleHelpArea,
    RoleNativeScreenSlider,
    RoleNativeScreenLabel,
    RoleScreenLessLabel,
    RoleScreenMoreLabel,
    RoleScreenSlider,
    RoleScreenLabel,
    RoleRangeCommand,
    ControlRoleCount,
};

// Marks a role that keeps its identifier in the Native layout.
const int32_t kKeepsId = 0;

struct ControlIdRow {
    int32_t initial;  // at load, and in the Cloned layout
    int32_t native;   // written when the Native layout is adopted, or kKeepsId
};

const ControlIdRow kControlIdTable[ControlRoleCount] = {
    /* PreviewControl */ {1205, 1203},
    /* ProbeControl */ {200, 1212},
    /* DepthCombo */ {1200, 1200},
    /* RaisedControl */ {1206, 1204},
    /* HelpAreaAnchor */ {1216, 1211},
    /* ScreenRowAnchor */ {1212, 1209},
    /* BelowScreenRow */ {1211, 1219},
    /* HelpAreaModel */ {201, 1205},
    /* DesktopSlider */ {1204, 1202},
    /* DesktopLabel */ {1207, 1206},
    /* LessLabel */ {1209, kKeepsId},
    /* MoreLabel */ {1210, kKeepsId},
    /* LoweredControl */ {1213, kKeepsId},
    /* HelpArea */ {1213, kKeepsId},
    /* NativeScreenSlider */ {1214, kKeepsId},
    /* NativeScreenLabel */ {1215, kKeepsId},
    /* ScreenLessLabel */ {1216, kKeepsId},
    /* ScreenMoreLabel */ {1217, kKeepsId},
    /* ScreenSlider */ {100, kKeepsId},
    /* ScreenLabel */ {101, kKeepsId},
    /* RangeCommand */ {1210, kKeepsId},
};

const int32_t kClonedHelpAreaId = 202;

struct ControlIds {
    int32_t id[ControlRoleCount];
};

constexpr ControlIds InitialControlIds()
{
    ControlIds ids = {};
    for (int32_t role = 0; role < ControlRoleCount; ++role) {
        ids.id[role] = kControlIdTable[role].initial;
    }
    return ids;
}

constinit ControlIds gControlIds = InitialControlIds();
LayoutVariant gLayoutVariant = LayoutUndecided;

HWND gPropertySheet;
HWND gSettingsPage;
HWND gTopLevelWindow;
WNDPROC gPrevTopLevelProc;
WNDPROC gPrevPageProc;
HWND gPreviewControl;
WNDPROC gPrevPreviewProc;
HINSTANCE gHelpModule;
HWND gDesktopSlider;
HWND gScreenSlider;

}  // namespace

HWND GetPropertySheet()
{
    return gPropertySheet;
}

void SetPropertySheet(HWND window)
{
    gPropertySheet = window;
}

HWND GetSettingsPage()
{
    return gSettingsPage;
}

void SetSettingsPage(HWND window)
{
    gSettingsPage = window;
}

HWND GetTopLevelWindow()
{
    return gTopLevelWindow;
}

void SetTopLevelWindow(HWND window)
{
    gTopLevelWindow = window;
}

WNDPROC GetPrevTopLevelProc()
{
    return gPrevTopLevelProc;
}

void SetPrevTopLevelProc(WNDPROC proc)
{
    gPrevTopLevelProc = proc;
}

WNDPROC GetPrevPageProc()
{
    return gPrevPageProc;
}

void SetPrevPageProc(WNDPROC proc)
{
    gPrevPageProc = proc;
}

HWND GetPreviewControl()
{
    return gPreviewControl;
}

void SetPreviewControl(HWND window)
{
    gPreviewControl = window;
}

WNDPROC GetPrevPreviewProc()
{
    return gPrevPreviewProc;
}

void SetPrevPreviewProc(WNDPROC proc)
{
    gPrevPreviewProc = proc;
}

HINSTANCE GetHelpModule()
{
    return gHelpModule;
}

void SetHelpModule(HINSTANCE module)
{
    gHelpModule = module;
}

HWND GetDesktopSlider()
{
    return gDesktopSlider;
}

void SetDesktopSlider(HWND window)
{
    gDesktopSlider = window;
}

HWND GetScreenSlider()
{
    return gScreenSlider;
}

void SetScreenSlider(HWND window)
{
    gScreenSlider = window;
}

LayoutVariant GetLayoutVariant()
{
    return gLayoutVariant;
}

void SetLayoutVariant(LayoutVariant variant)
{
    gLayoutVariant = variant;
    if (variant == LayoutCloned) {
        gControlIds.id[RoleHelpArea] = kClonedHelpAreaId;
    }
}

void SetControlIdsNative()
{
    for (int32_t role = 0; role < ControlRoleCount; ++role) {
        if (kControlIdTable[role].native != kKeepsId) {
            gControlIds.id[role] = kControlIdTable[role].native;
        }
    }
}

int32_t GetPreviewControlId()
{
    return gControlIds.id[RolePreviewControl];
}

int32_t GetProbeControlId()
{
    return gControlIds.id[RoleProbeControl];
}

int32_t GetDepthComboId()
{
    return gControlIds.id[RoleDepthCombo];
}

int32_t GetRaisedControlId()
{
    return gControlIds.id[RoleRaisedControl];
}

int32_t GetHelpAreaAnchorId()
{
    return gControlIds.id[RoleHelpAreaAnchor];
}

int32_t GetScreenRowAnchorId()
{
    return gControlIds.id[RoleScreenRowAnchor];
}

int32_t GetBelowScreenRowId()
{
    return gControlIds.id[RoleBelowScreenRow];
}

int32_t GetHelpAreaModelId()
{
    return gControlIds.id[RoleHelpAreaModel];
}

int32_t GetDesktopSliderId()
{
    return gControlIds.id[RoleDesktopSlider];
}

int32_t GetDesktopLabelId()
{
    return gControlIds.id[RoleDesktopLabel];
}

int32_t GetLessLabelId()
{
    return gControlIds.id[RoleLessLabel];
}

int32_t GetMoreLabelId()
{
    return gControlIds.id[RoleMoreLabel];
}

int32_t GetLoweredControlId()
{
    return gControlIds.id[RoleLoweredControl];
}

int32_t GetHelpAreaId()
{
    return gControlIds.id[RoleHelpArea];
}

int32_t GetNativeScreenSliderId()
{
    return gControlIds.id[RoleNativeScreenSlider];
}

int32_t GetNativeScreenLabelId()
{
    return gControlIds.id[RoleNativeScreenLabel];
}

int32_t GetScreenLessLabelId()
{
    return gControlIds.id[RoleScreenLessLabel];
}

int32_t GetScreenMoreLabelId()
{
    return gControlIds.id[RoleScreenMoreLabel];
}

int32_t GetScreenSliderId()
{
    return gControlIds.id[RoleScreenSlider];
}

int32_t GetScreenLabelId()
{
    return gControlIds.id[RoleScreenLabel];
}

int32_t GetRangeCommandId()
{
    return gControlIds.id[RoleRangeCommand];
}
