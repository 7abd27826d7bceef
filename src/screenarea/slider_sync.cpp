#include "screenarea/slider_sync.h"

#include "driver/mode_tables.h"
#include "library/res_format.h"
#include "library/resource_library.h"
#include "preview/preview.h"
#include "records/page_records.h"

namespace {

const uint32_t kLabelBufferSize = 256;

bool gSizesEqual;

int32_t SliderPosition(HWND trackbar)
{
    return static_cast<int32_t>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
}

// The label shows the size through the library's format; without a usable format it is
// left empty rather than showing numbers out of context.
void ShowSizeText(int32_t controlId, uint32_t width, uint32_t height)
{
    char text[kLabelBufferSize];
    text[0] = '\0';
    const char* format = LoadResFormat(ResSizeFormat, "uu");
    if (format != nullptr) {
        FormatResString(text, sizeof text, format, "uu", width, height);
    }
    SetDlgItemTextA(GetSettingsPage(), controlId, text);
}

uint32_t ListLength(const uint32_t* list)
{
    uint32_t length = 0;
    while (length <= kMaxListedSizes && list[length] != 0) {
        ++length;
    }
    return length;
}

void SetSizeLabel(int32_t controlId, int32_t index, const uint32_t* sizeList)
{
    if (sizeList == nullptr || index < 0 || static_cast<uint32_t>(index) >= ListLength(sizeList)) {
        SetDlgItemTextA(GetSettingsPage(), controlId, "");
        return;
    }
    uint32_t packed = sizeList[index];
    ShowSizeText(controlId, PackedWidth(packed), PackedHeight(packed));
}

// The desktop position that the screen area at `s` pushes the desktop slider up to: the
// smallest desktop above `d` that holds it; 0 when none does.
int32_t DesktopPushFor(int32_t d, int32_t s)
{
    ScreenSize screen = {0, 0};
    if (!ScreenSizeAt(s, &screen.width, &screen.height)) {
        return s > d ? s : 0;
    }
    int32_t push = SmallestDesktopSizeHolding(screen.width, screen.height, d);
    return push > 0 ? push : 0;
}

// The screen slider's position for the desktop at `d`: its own size when the driver offers it
// as a screen area, else the largest screen area it holds; -1 when neither is known.
int32_t ScreenPositionFor(int32_t d)
{
    ScreenSize desktop = {0, 0};
    if (!DesktopSizeAt(d, &desktop.width, &desktop.height)) {
        return -1;
    }
    int32_t index = ScreenSizeIndexOf(desktop.width, desktop.height);
    return index != -1 ? index : LargestScreenSizeWithin(desktop.width, desktop.height);
}

}  // namespace

void UpdateSizesEqual()
{
    gSizesEqual = ScreenMatchesDesktop(SliderPosition(GetScreenSlider()), SliderPosition(GetDesktopSlider()));
}

void ShowScreenSize(int32_t index, const ScreenSize* size)
{
    if (size != nullptr) {
        index = ScreenSizeIndexOf(size->width, size->height);
    }
    if (index == -1) {
        index = SliderPosition(GetDesktopSlider());
    }
    HWND screenSlider = GetScreenSlider();
    SendMessageA(screenSlider, TBM_SETPOS, TRUE, index);
    InvalidatePreview();
    ScreenSize shown = {0, 0};
    if (size != nullptr) {
        shown = *size;
    } else if (!ScreenSizeAt(SliderPosition(screenSlider), &shown.width, &shown.height)) {
        // The slider stands where no screen size is listed (its range may have clamped the
        // index): the label says nothing rather than a size that is not on offer.
        SetDlgItemTextA(GetSettingsPage(), ControlId(RoleScreenLabel), "");
        return;
    }
    ShowSizeText(ControlId(RoleScreenLabel), shown.width, shown.height);
}

void SyncScreenToDesktop()
{
    int32_t d = SliderPosition(GetDesktopSlider());
    int32_t s = SliderPosition(GetScreenSlider());
    if (!gSizesEqual && !ScreenExceedsDesktop(s, d)) {
        return;
    }
    ShowScreenSize(ScreenPositionFor(d), nullptr);
}

int32_t OnScreenSliderScroll(HWND page, WPARAM /*wParam*/, HWND slider)
{
    int32_t s = SliderPosition(slider);
    InvalidatePreview();
    SetSizeLabel(ControlId(RoleScreenLabel), s, BuildScreenSizeList());
    SendMessageA(GetPropertySheet(), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
    int32_t d = SliderPosition(GetDesktopSlider());
    if (!ScreenExceedsDesktop(s, d)) {
        return 0;
    }
    int32_t push = DesktopPushFor(d, s);
    if (push == 0) {
        // No desktop on offer holds this screen area: it goes back to one the desktop holds.
        ShowScreenSize(ScreenPositionFor(d), nullptr);
    }
    return push;
}

void SetScreenRange()
{
    int32_t lastScreenSize = CountScreenSizes() - 1;
    int32_t desktopMaximum = static_cast<int32_t>(SendMessageA(GetDesktopSlider(), TBM_GETRANGEMAX, 0, 0));
    int32_t maximum = lastScreenSize < desktopMaximum ? lastScreenSize : desktopMaximum;
    // The slider reaches every screen area that the largest desktop on offer holds, and none
    // that it cannot hold.
    ScreenSize largest = {0, 0};
    if (DesktopSizeAt(desktopMaximum, &largest.width, &largest.height)) {
        int32_t held = LargestScreenSizeWithin(largest.width, largest.height);
        if (held >= 0) {
            maximum = held;
        }
    }
    // Without any screen size the slider keeps the one position 0, which stands for none.
    if (maximum < 0) {
        maximum = 0;
    }
    SendMessageA(GetScreenSlider(), TBM_SETRANGE, TRUE, MAKELPARAM(0, maximum));
    // The preview's scale follows the range.
    InvalidatePreview();
}

#ifdef KVSETTNG_TEST_ACCESSORS
bool GetSizesEqual()
{
    return gSizesEqual;
}
#endif
