#include "page/page_layout.h"

#include "driver/viewport.h"
#include "lifecycle/res_format.h"
#include "lifecycle/resource_library.h"
#include "page/page_state.h"
#include "preview/preview.h"
#include "screenarea/apply.h"
#include "screenarea/slider_sync.h"

namespace {

const int kBelowScreenRowGap = 5;
const int kHelpAreaExtraHeight = 5;
const LONG kAddedFontWeight = 300;
const int kClassNameSize = 256;
const int kLabelTextSize = 80;
const int kClonedPreviewId = 1205;

HFONT gAddedFont;
// Whether gAddedFont was made here, rather than borrowed from the page.
bool gAddedFontMade;

HWND Control(int32_t id)
{
    return GetDlgItem(GetSettingsPage(), id);
}

// The control's window rectangle in the page's client coordinates.
RECT ControlRect(int32_t id)
{
    RECT rect = {0, 0, 0, 0};
    if (GetWindowRect(Control(id), &rect)) {
        MapWindowPoints(GetDesktopWindow(), GetSettingsPage(), reinterpret_cast<LPPOINT>(&rect), 2);
    }
    return rect;
}

POINT ClientSize(int32_t id)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(Control(id), &client);
    POINT size = {client.right, client.bottom};
    return size;
}

void MoveControl(int32_t id, int x, int y)
{
    SetWindowPos(Control(id), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void ResizeControl(int32_t id, int width, int height)
{
    SetWindowPos(Control(id), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

void ShiftControl(int32_t id, int dy)
{
    RECT rect = ControlRect(id);
    MoveControl(id, rect.left, rect.top + dy);
}

// The controls the Cloned layout raises, in order.
typedef int32_t (*ControlIdGetter)();
const ControlIdGetter kRaisedControls[] = {
    GetProbeControlId, GetDepthComboId,    GetRaisedControlId, GetHelpAreaModelId,  GetLessLabelId,
    GetMoreLabelId,    GetDesktopSliderId, GetDesktopLabelId,  GetHelpAreaAnchorId, GetScreenRowAnchorId,
};

// The controls shown and enabled again in the Native layout, in order.
const ControlIdGetter kScreenAreaControls[] = {
    GetHelpAreaId, GetScreenLessLabelId, GetScreenMoreLabelId, GetScreenSliderId, GetScreenLabelId,
};

HFONT MakeAddedFont()
{
    HFONT modelFont = reinterpret_cast<HFONT>(SendMessageA(Control(GetHelpAreaModelId()), WM_GETFONT, 0, 0));
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
    int32_t modelId;
    const char* text;
    int x;
    int y;
    int width;
    int height;
    int32_t id;
};

HWND CreateClone(const ClonePlan& plan)
{
    HWND model = Control(plan.modelId);
    char className[kClassNameSize];
    className[0] = '\0';
    GetClassNameA(model, className, kClassNameSize);
    HWND clone =
        CreateWindowExA(static_cast<DWORD>(GetWindowLongA(model, GWL_EXSTYLE)), className, plan.text,
                        static_cast<DWORD>(GetWindowLongA(model, GWL_STYLE)), plan.x, plan.y, plan.width,
                        plan.height, reinterpret_cast<HWND>(GetWindowLongPtrA(model, GWLP_HWNDPARENT)),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(plan.id)),
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
    for (ControlIdGetter id : kRaisedControls) {
        ShiftControl(id(), -up);
    }
    POINT combo = ClientSize(GetDepthComboId());
    ResizeControl(GetScreenRowAnchorId(), combo.x, combo.y);
    RECT anchor = ControlRect(GetScreenRowAnchorId());
    POINT below = ClientSize(GetBelowScreenRowId());
    SetWindowPos(Control(GetBelowScreenRowId()), nullptr, anchor.left, anchor.bottom + kBelowScreenRowGap,
                 Width(anchor), below.y, SWP_NOZORDER);
    POINT probe = ClientSize(GetProbeControlId());
    ResizeControl(GetHelpAreaAnchorId(), probe.x, probe.y + kHelpAreaExtraHeight);
    ShiftControl(GetLoweredControlId(), down);
}

// The first label text: the current screen area through the library's format, cut to the
// label's room.
void InitialLabelText(char* text, uint32_t size)
{
    text[0] = '\0';
    uint32_t width = 0;
    uint32_t height = 0;
    const char* format = LoadResFormat(ResSizeFormat, "uu");
    if (format != nullptr && GetViewportSize(&width, &height) == 0) {
        FormatResString(text, size, format, "uu", width, height);
    }
}

void CreateClones()
{
    const char* helpText = LoadResString(ResHelpAreaText);
    RECT model = ControlRect(GetHelpAreaModelId());
    RECT helpAnchor = ControlRect(GetHelpAreaAnchorId());
    CreateClone({GetHelpAreaModelId(), helpText, model.left, helpAnchor.top, Width(model), Height(model),
                 GetHelpAreaId()});

    RECT desktopSlider = ControlRect(GetDesktopSliderId());
    RECT rowAnchor = ControlRect(GetScreenRowAnchorId());
    SetScreenSlider(CreateClone({GetDesktopSliderId(), "", desktopSlider.left, rowAnchor.top,
                                 Width(desktopSlider), Height(desktopSlider), GetScreenSliderId()}));

    const ControlIdGetter endLabels[][2] = {{GetLessLabelId, GetScreenLessLabelId},
                                            {GetMoreLabelId, GetScreenMoreLabelId}};
    for (const auto& pair : endLabels) {
        char text[kLabelTextSize];
        text[0] = '\0';
        GetWindowTextA(Control(pair[0]()), text, kLabelTextSize);
        RECT label = ControlRect(pair[0]());
        CreateClone({pair[0](), text, label.left, rowAnchor.top, Width(label), Height(label), pair[1]()});
    }

    RECT desktopLabel = ControlRect(GetDesktopLabelId());
    RECT screenSlider = ControlRect(GetScreenSliderId());
    char sizeText[kScreenLabelTextLimit + 1];
    InitialLabelText(sizeText, sizeof sizeText);
    CreateClone({GetDesktopLabelId(), sizeText, desktopLabel.left,
                 desktopLabel.top - desktopSlider.bottom + screenSlider.bottom, Width(desktopLabel),
                 Height(desktopLabel), GetScreenLabelId()});
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
    SetDesktopSlider(Control(GetDesktopSliderId()));
    SetScreenSlider(Control(GetScreenSliderId()));

    HWND preview = Control(GetPreviewControlId());
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

    SetScreenRange();
    ScreenSize current = {0, 0};
    if (GetViewportSize(&current.width, &current.height) == 0) {
        ShowScreenSize(-1, &current);
    } else {
        ShowScreenSize(-1, nullptr);
    }
    SetSavedScreenPos(static_cast<int32_t>(SendMessageA(GetScreenSlider(), TBM_GETPOS, 0, 0)));
    UpdateSizesEqual();
}

void BuildClonedLayout()
{
    if (GetLayoutVariant() != LayoutUndecided) {
        return;
    }
    if ((GetWindowLongA(Control(GetProbeControlId()), GWL_STYLE) & 7) == 0) {
        SetLayoutVariant(LayoutNative);
        return;
    }
    SetLayoutVariant(LayoutCloned);
    int baseUnitHeight = HIWORD(GetDialogBaseUnits());
    RaiseAndResize(RaiseDistance(baseUnitHeight), LowerDistance(baseUnitHeight));
    gAddedFont = MakeAddedFont();
    CreateClones();
    EnableWindow(Control(kClonedPreviewId), FALSE);
}

void AdoptNativeLayout()
{
    if (GetLayoutVariant() != LayoutNative) {
        return;
    }
    ApplyNativeIds();
    if (GetSettingsPage() == nullptr) {
        return;
    }
    SetWindowLongA(Control(GetNativeScreenSliderId()), GWL_ID, GetScreenSliderId());
    SetWindowLongA(Control(GetNativeScreenLabelId()), GWL_ID, GetScreenLabelId());
    ShowScreenAreaControls();
}

void ApplyNativeIds()
{
    SetControlIdsNative();
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
    POINT probe = ClientSize(GetProbeControlId());
    ResizeControl(GetHelpAreaAnchorId(), probe.x, probe.y);
    POINT combo = ClientSize(GetDepthComboId());
    ResizeControl(GetScreenRowAnchorId(), combo.x, combo.y);
    for (ControlIdGetter id : kScreenAreaControls) {
        HWND control = Control(id());
        ShowWindow(control, SW_SHOW);
        EnableWindow(control, TRUE);
    }
    InvalidateRect(GetSettingsPage(), nullptr, TRUE);
    UpdateWindow(GetSettingsPage());
}
