#include "page/page_layout.h"

#include "driver/viewport.h"
#include "library/res_format.h"
#include "library/resource_library.h"
#include "preview/preview.h"
#include "records/page_records.h"
#include "screenarea/apply.h"
#include "screenarea/slider_sync.h"

namespace {

const int kBelowScreenRowGap = 5;
const int kHelpAreaExtraHeight = 5;
const LONG kAddedFontWeight = 300;
const int kClassNameSize = 256;
const int kLabelTextSize = 80;
// The lowest three bits of a button's style are its type. The page that has no screen-area
// row of its own has a group box (BS_GROUPBOX, 7) as its probe control; the page with its own
// row has none there, and the style of a missing control reads 0.
const LONG kButtonTypeBits = 7;

HFONT gAddedFont;
// Whether gAddedFont was made here, rather than borrowed from the page.
bool gAddedFontMade;

// The control's window rectangle in the page's client coordinates.
RECT ControlRect(ControlRole role)
{
    RECT rect = {0, 0, 0, 0};
    if (GetWindowRect(PageControl(role), &rect)) {
        MapWindowPoints(GetDesktopWindow(), GetSettingsPage(), reinterpret_cast<LPPOINT>(&rect), 2);
    }
    return rect;
}

POINT ClientSize(ControlRole role)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(PageControl(role), &client);
    POINT size = {client.right, client.bottom};
    return size;
}

void MoveControl(ControlRole role, int x, int y)
{
    SetWindowPos(PageControl(role), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void ResizeControl(ControlRole role, int width, int height)
{
    SetWindowPos(PageControl(role), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

void ShiftControl(ControlRole role, int dy)
{
    RECT rect = ControlRect(role);
    MoveControl(role, rect.left, rect.top + dy);
}

// The controls the Cloned layout raises, in order.
const ControlRole kRaisedControls[] = {
    RoleProbeControl, RoleDepthCombo,    RoleRaisedControl, RoleHelpAreaModel,  RoleLessLabel,
    RoleMoreLabel,    RoleDesktopSlider, RoleDesktopLabel,  RoleHelpAreaAnchor, RoleScreenRowAnchor,
};

// The controls shown and enabled again in the Native layout, in order.
const ControlRole kScreenAreaControls[] = {
    RoleHelpArea, RoleScreenLessLabel, RoleScreenMoreLabel, RoleScreenSlider, RoleScreenLabel,
};

HFONT MakeAddedFont()
{
    HFONT modelFont = reinterpret_cast<HFONT>(SendMessageA(PageControl(RoleHelpAreaModel), WM_GETFONT, 0, 0));
    LOGFONTA font;
    if (modelFont != nullptr && GetObjectA(modelFont, sizeof font, &font) != 0) {
        font.lfWeight = kAddedFontWeight;
        HFONT lighter = CreateFontIndirectA(&font);
        gAddedFontMade = lighter != nullptr;
        return lighter;
    }
    return modelFont;
}

struct ClonePlan {
    ControlRole model;
    const char* text;
    int x;
    int y;
    int width;
    int height;
    ControlRole role;
};

HWND CreateClone(const ClonePlan& plan)
{
    HWND model = PageControl(plan.model);
    char className[kClassNameSize];
    className[0] = '\0';
    GetClassNameA(model, className, kClassNameSize);
    HWND clone =
        CreateWindowExA(static_cast<DWORD>(GetWindowLongA(model, GWL_EXSTYLE)), className, plan.text,
                        static_cast<DWORD>(GetWindowLongA(model, GWL_STYLE)), plan.x, plan.y, plan.width,
                        plan.height, reinterpret_cast<HWND>(GetWindowLongPtrA(model, GWLP_HWNDPARENT)),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(plan.role))),
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(model, GWLP_HINSTANCE)), nullptr);
    SendMessageA(clone, WM_SETFONT, reinterpret_cast<WPARAM>(gAddedFont), FALSE);
    return clone;
}

int Width(const RECT& rect)
{
    return rect.right - rect.left;
}

int Height(const RECT& rect)
{
    return rect.bottom - rect.top;
}

void RaiseAndResize(int up, int down)
{
    for (ControlRole role : kRaisedControls) {
        ShiftControl(role, -up);
    }
    POINT combo = ClientSize(RoleDepthCombo);
    ResizeControl(RoleScreenRowAnchor, combo.x, combo.y);
    RECT anchor = ControlRect(RoleScreenRowAnchor);
    POINT below = ClientSize(RoleBelowScreenRow);
    SetWindowPos(PageControl(RoleBelowScreenRow), nullptr, anchor.left, anchor.bottom + kBelowScreenRowGap,
                 Width(anchor), below.y, SWP_NOZORDER);
    POINT probe = ClientSize(RoleProbeControl);
    ResizeControl(RoleHelpAreaAnchor, probe.x, probe.y + kHelpAreaExtraHeight);
    ShiftControl(RoleLoweredControl, down);
}

// The first label text: the current screen area through the library's format, cut to the
// label's room.
void InitialLabelText(char* text, uint32_t size)
{
    text[0] = '\0';
    uint32_t width = 0;
    uint32_t height = 0;
    const char* format = LoadResFormat(ResSizeFormat, "uu");
    if (format != nullptr && GetViewportSize(&width, &height)) {
        FormatResString(text, size, format, "uu", width, height);
    }
}

void CreateClones()
{
    const char* helpText = LoadResString(ResHelpAreaText);
    RECT model = ControlRect(RoleHelpAreaModel);
    RECT helpAnchor = ControlRect(RoleHelpAreaAnchor);
    CreateClone(
        {RoleHelpAreaModel, helpText, model.left, helpAnchor.top, Width(model), Height(model), RoleHelpArea});

    RECT desktopSlider = ControlRect(RoleDesktopSlider);
    RECT rowAnchor = ControlRect(RoleScreenRowAnchor);
    SetScreenSlider(CreateClone({RoleDesktopSlider, "", desktopSlider.left, rowAnchor.top,
                                 Width(desktopSlider), Height(desktopSlider), RoleScreenSlider}));

    const ControlRole endLabels[][2] = {{RoleLessLabel, RoleScreenLessLabel},
                                        {RoleMoreLabel, RoleScreenMoreLabel}};
    for (const auto& pair : endLabels) {
        char text[kLabelTextSize];
        text[0] = '\0';
        GetWindowTextA(PageControl(pair[0]), text, kLabelTextSize);
        RECT label = ControlRect(pair[0]);
        CreateClone({pair[0], text, label.left, rowAnchor.top, Width(label), Height(label), pair[1]});
    }

    RECT desktopLabel = ControlRect(RoleDesktopLabel);
    RECT screenSlider = ControlRect(RoleScreenSlider);
    char sizeText[kScreenLabelTextLimit + 1];
    InitialLabelText(sizeText, sizeof sizeText);
    CreateClone({RoleDesktopLabel, sizeText, desktopLabel.left,
                 desktopLabel.top - desktopSlider.bottom + screenSlider.bottom, Width(desktopLabel),
                 Height(desktopLabel), RoleScreenLabel});
}

// Decides the layout from the page's probe control, once; in the Cloned layout the page's
// controls make room and the screen-area row is cloned from the desktop-area row.
void BuildClonedLayout()
{
    if (GetLayoutVariant() != LayoutUndecided) {
        return;
    }
    if ((GetWindowLongA(PageControl(RoleProbeControl), GWL_STYLE) & kButtonTypeBits) == 0) {
        SetLayoutVariant(LayoutNative);
        return;
    }
    SetLayoutVariant(LayoutCloned);
    int baseUnitHeight = HIWORD(GetDialogBaseUnits());
    RaiseAndResize(RaiseDistance(baseUnitHeight), LowerDistance(baseUnitHeight));
    gAddedFont = MakeAddedFont();
    CreateClones();
    EnableWindow(PageControl(RolePreviewControl), FALSE);
}

// In the Native layout the page's own screen-area slider and label take the identifiers that
// the module addresses them by, and the row is shown.
void AdoptNativeLayout()
{
    if (GetLayoutVariant() != LayoutNative || GetSettingsPage() == nullptr) {
        return;
    }
    SetWindowLongA(PageControl(RoleNativeScreenSlider), GWL_ID, ControlId(RoleScreenSlider));
    SetWindowLongA(PageControl(RoleNativeScreenLabel), GWL_ID, ControlId(RoleScreenLabel));
    ShowScreenAreaControls();
}

// The preview control takes the monitor picture's size, centred where it stood.
void FitPreview()
{
    HWND preview = PageControl(RolePreviewControl);
    SubclassPreview(preview);
    RECT client = {0, 0, 0, 0};
    GetClientRect(preview, &client);
    PreviewBitmap monitor = GetPreviewBitmap(MonitorBitmap);
    // Without the monitor picture the control keeps its place and size.
    if (monitor.handle != nullptr) {
        POINT corner = CentringOffset(client.right, client.bottom, monitor.width, monitor.height);
        MapWindowPoints(preview, GetSettingsPage(), &corner, 1);
        SetWindowPos(preview, nullptr, corner.x, corner.y, monitor.width, monitor.height, SWP_NOZORDER);
    }
}

}  // namespace

int RaiseDistance(int baseUnitHeight)
{
    return 7 * baseUnitHeight / 8;
}

int LowerDistance(int baseUnitHeight)
{
    return 5 * baseUnitHeight / 8;
}

POINT CentringOffset(int clientWidth, int clientHeight, int bitmapWidth, int bitmapHeight)
{
    int widest = clientWidth > bitmapWidth ? clientWidth : bitmapWidth;
    int tallest = clientHeight > bitmapHeight ? clientHeight : bitmapHeight;
    POINT offset = {(widest - bitmapWidth) / 2, (tallest - bitmapHeight) / 2};
    return offset;
}

void AugmentPage()
{
    BuildClonedLayout();
    AdoptNativeLayout();
    SetDesktopSlider(PageControl(RoleDesktopSlider));
    SetScreenSlider(PageControl(RoleScreenSlider));
    FitPreview();
    InitialiseScreenArea();
}

void ReleaseAddedFont()
{
    if (gAddedFontMade) {
        DeleteObject(gAddedFont);
    }
    gAddedFont = nullptr;
    gAddedFontMade = false;
}

void ShowScreenAreaControls()
{
    if (GetLayoutVariant() == LayoutCloned || GetSettingsPage() == nullptr) {
        return;
    }
    POINT probe = ClientSize(RoleProbeControl);
    ResizeControl(RoleHelpAreaAnchor, probe.x, probe.y);
    POINT combo = ClientSize(RoleDepthCombo);
    ResizeControl(RoleScreenRowAnchor, combo.x, combo.y);
    for (ControlRole role : kScreenAreaControls) {
        HWND control = PageControl(role);
        ShowWindow(control, SW_SHOW);
        EnableWindow(control, TRUE);
    }
    InvalidateRect(GetSettingsPage(), nullptr, TRUE);
    UpdateWindow(GetSettingsPage());
}
