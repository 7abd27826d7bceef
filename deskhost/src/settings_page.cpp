// The Settings page's own procedure. Its desktop slider's positions index the ascending list
// of the driver's desktop sizes; its colour combo box holds, after one item for a depth the
// driver does not offer, the depths of 640 x 480 in ascending order. Its apply changes the
// desktop size at once; a new colour depth takes effect only when the system restarts.
#include "deskhost/settings_page.h"

#include "deskhost/deskhost_ids.h"
#include "display_driver.h"

#include <algorithm>
#include <vector>

namespace deskhost {
namespace {

constexpr std::uint32_t kDepthTableWidth = 640;
constexpr std::uint32_t kDepthTableHeight = 480;

struct PageState {
    SettingsPageOptions options;
    DisplayDriver driver;
    std::vector<ModeEntry> modes;
    std::vector<DesktopSize> desktopSizes;
    std::vector<std::uint32_t> depths;  // of 640 x 480; combo item i >= 1 is depths[i - 1]
    std::uint32_t unofferedDepth = 0;   // combo item 0
    int appliedDepthItem = -1;
    PageActivity activity;
};

PageState& State()
{
    static auto* state = new PageState;
    return *state;
}

int DesktopSliderId()
{
    return State().options.layout == PageLayout::Native ? IDC_NATIVE_DESKTOP_SLIDER
                                                        : IDC_CLONED_DESKTOP_SLIDER;
}

int DesktopLabelId()
{
    return State().options.layout == PageLayout::Native ? IDC_NATIVE_DESKTOP_LABEL : IDC_CLONED_DESKTOP_LABEL;
}

HWND DesktopSlider(HWND page)
{
    return GetDlgItem(page, DesktopSliderId());
}

const char* DepthName(std::uint32_t depth)
{
    switch (depth) {
        case 1:
            return "Monochrome";
        case 4:
            return "16 Color";
        case 8:
            return "256 Color";
        case 15:
            return "High Color (15 bit)";
        case 16:
            return "High Color (16 bit)";
        case 24:
            return "True Color (24 bit)";
        case 32:
            return "True Color (32 bit)";
        default:
            return nullptr;
    }
}

void AddDepthItem(HWND combo, std::uint32_t depth)
{
    char text[32];
    const char* name = DepthName(depth);
    if (name == nullptr) {
        wsprintfA(text, "%u bit", static_cast<unsigned>(depth));
        name = text;
    }
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
}

std::uint32_t FirstUnofferedDepth(const std::vector<std::uint32_t>& offered)
{
    for (std::uint32_t depth : {24u, 32u, 16u, 8u, 4u, 1u}) {
        if (std::find(offered.begin(), offered.end(), depth) == offered.end()) {
            return depth;
        }
    }
    return 0;
}

std::uint32_t DepthOfItem(int item)
{
    const PageState& state = State();
    if (item >= 1 && static_cast<std::size_t>(item - 1) < state.depths.size()) {
        return state.depths[static_cast<std::size_t>(item - 1)];
    }
    return state.unofferedDepth;
}

int ItemOfDepth(std::uint32_t depth)
{
    const auto& depths = State().depths;
    const auto at = std::find(depths.begin(), depths.end(), depth);
    return at == depths.end() ? 0 : static_cast<int>(at - depths.begin()) + 1;
}

int SizeIndexOf(std::uint32_t width, std::uint32_t height)
{
    const auto& sizes = State().desktopSizes;
    const auto at = std::find(sizes.begin(), sizes.end(), DesktopSize{width, height});
    return at == sizes.end() ? -1 : static_cast<int>(at - sizes.begin());
}

void ShowDesktopSize(HWND page, int index)
{
    const auto& sizes = State().desktopSizes;
    char text[64] = "";
    if (index >= 0 && static_cast<std::size_t>(index) < sizes.size()) {
        const DesktopSize& size = sizes[static_cast<std::size_t>(index)];
        wsprintfA(text, "%u by %u pixels", static_cast<unsigned>(size.width),
                  static_cast<unsigned>(size.height));
    }
    SetDlgItemTextA(page, DesktopLabelId(), text);
}

void TellSheetChanged(HWND page)
{
    ++State().activity.changedNotices;
    SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
}

// The lists follow the driver's mode table; without a driver, only the mode in force.
void ReadModeLists()
{
    PageState& state = State();
    state.modes = state.driver.ReadModeTable();
    if (state.modes.empty()) {
        state.modes.push_back(CurrentScreenMode());
    }
    state.desktopSizes = DesktopSizesOf(state.modes);
    state.depths = DepthsOf(state.modes, kDepthTableWidth, kDepthTableHeight);
    state.unofferedDepth = FirstUnofferedDepth(state.depths);
}

void FillDesktopSlider(HWND page, std::uint32_t width, std::uint32_t height)
{
    const int count = static_cast<int>(State().desktopSizes.size());
    const HWND slider = DesktopSlider(page);
    SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, std::max(0, count - 1)));
    const int index = std::max(0, SizeIndexOf(width, height));
    SendMessageA(slider, TBM_SETPOS, TRUE, index);
    ShowDesktopSize(page, index);
}

void FillDepthCombo(HWND page, std::uint32_t selectedDepth)
{
    const HWND combo = GetDlgItem(page, IDC_DEPTH_COMBO);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    AddDepthItem(combo, State().unofferedDepth);
    for (std::uint32_t depth : State().depths) {
        AddDepthItem(combo, depth);
    }
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(ItemOfDepth(selectedDepth)), 0);
}

void FillFontCombo(HWND page)
{
    const int id =
        State().options.layout == PageLayout::Native ? IDC_NATIVE_FONT_COMBO : IDC_CLONED_FONT_COMBO;
    const HWND combo = GetDlgItem(page, id);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Small Fonts"));
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Large Fonts"));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

// The depth the page shows: the one waiting for a restart, else the one in force.
std::uint32_t ShownDepth()
{
    const PageState& state = State();
    return state.activity.pendingDepth != 0 ? state.activity.pendingDepth : CurrentScreenMode().depth;
}

void InitPage(HWND page)
{
    PageState& state = State();
    state.driver.Open(state.options.driverPath);
    ReadModeLists();
    const ModeEntry current = CurrentScreenMode();
    FillDesktopSlider(page, current.width, current.height);
    FillDepthCombo(page, ShownDepth());
    FillFontCombo(page);
    state.appliedDepthItem = static_cast<int>(SendDlgItemMessageA(page, IDC_DEPTH_COMBO, CB_GETCURSEL, 0, 0));
}

// Reads the lists again and keeps the desktop size and depth the user has chosen.
void RefreshModeLists(HWND page)
{
    PageState& state = State();
    ++state.activity.listRefreshes;
    const int position = static_cast<int>(SendMessageA(DesktopSlider(page), TBM_GETPOS, 0, 0));
    DesktopSize chosen{CurrentScreenMode().width, CurrentScreenMode().height};
    if (position >= 0 && static_cast<std::size_t>(position) < state.desktopSizes.size()) {
        chosen = state.desktopSizes[static_cast<std::size_t>(position)];
    }
    const int item = static_cast<int>(SendDlgItemMessageA(page, IDC_DEPTH_COMBO, CB_GETCURSEL, 0, 0));
    const std::uint32_t depth = DepthOfItem(item);
    const std::uint32_t appliedDepth = DepthOfItem(state.appliedDepthItem);
    ReadModeLists();
    FillDesktopSlider(page, chosen.width, chosen.height);
    FillDepthCombo(page, depth);
    state.appliedDepthItem = ItemOfDepth(appliedDepth);
}

void OnDesktopScroll(HWND page, WPARAM wParam)
{
    const HWND slider = DesktopSlider(page);
    const int code = LOWORD(wParam);
    const int old = static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0));
    int position = old;
    if (code == TB_THUMBPOSITION || code == TB_THUMBTRACK) {
        const int maximum = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0));
        position = std::clamp(static_cast<int>(static_cast<short>(HIWORD(wParam))), 0, std::max(0, maximum));
        if (position != old) {
            SendMessageA(slider, TBM_SETPOS, TRUE, position);
        }
    }
    ShowDesktopSize(page, position);
    if (code != TB_ENDTRACK) {
        TellSheetChanged(page);
    }
}

LRESULT OnApply(HWND page)
{
    PageState& state = State();
    if (state.options.refuseApply) {
        ++state.activity.refusedApplies;
        return PSNRET_INVALID_NOCHANGEPAGE;
    }
    const int position = static_cast<int>(SendMessageA(DesktopSlider(page), TBM_GETPOS, 0, 0));
    const int item = static_cast<int>(SendDlgItemMessageA(page, IDC_DEPTH_COMBO, CB_GETCURSEL, 0, 0));
    const ModeEntry current = CurrentScreenMode();
    if (position >= 0 && static_cast<std::size_t>(position) < state.desktopSizes.size()) {
        const DesktopSize& size = state.desktopSizes[static_cast<std::size_t>(position)];
        if (size.width != current.width || size.height != current.height) {
            ModeEntry wanted = current;
            wanted.width = size.width;
            wanted.height = size.height;
            if (!ChangeDisplayMode(state.driver, wanted)) {
                ++state.activity.refusedApplies;
                return PSNRET_INVALID_NOCHANGEPAGE;
            }
            ++state.activity.modeChanges;
        }
    }
    if (item != state.appliedDepthItem) {
        const std::uint32_t depth = DepthOfItem(item);
        state.activity.pendingDepth = depth == current.depth ? 0 : depth;
        state.appliedDepthItem = item;
    }
    ++state.activity.applies;
    return PSNRET_NOERROR;
}

BOOL OnNotify(HWND page, const NMHDR* header)
{
    if (header == nullptr || header->code != PSN_APPLY) {
        return FALSE;
    }
    SetWindowLongPtrA(page, DWLP_MSGRESULT, OnApply(page));
    return TRUE;
}

BOOL OnCommand(HWND page, WPARAM wParam)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == IDC_DEPTH_COMBO && code == CBN_SELCHANGE) {
        TellSheetChanged(page);
        return TRUE;
    }
    if (id == IDC_MORE_LABEL) {
        RefreshModeLists(page);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void SetSettingsPageOptions(const SettingsPageOptions& options)
{
    State().options = options;
}

void SetPageRefusesApply(bool refuse)
{
    State().options.refuseApply = refuse;
}

LPCSTR SettingsPageTemplate(PageLayout layout)
{
    return MAKEINTRESOURCEA(layout == PageLayout::Native ? IDD_SETTINGS_NATIVE : IDD_SETTINGS_CLONED);
}

const PageActivity& SettingsPageActivity()
{
    return State().activity;
}

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_INITDIALOG:
            InitPage(page);
            return TRUE;
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lParam) == DesktopSlider(page) && lParam != 0) {
                OnDesktopScroll(page, wParam);
                return TRUE;
            }
            return FALSE;
        case WM_COMMAND:
            return OnCommand(page, wParam);
        case WM_NOTIFY:
            return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
        case WM_DEVMODECHANGE:
        case WM_DEVICECHANGE:
            RefreshModeLists(page);
            return TRUE;
        case WM_DESTROY:
            State().driver.Close();
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace deskhost
