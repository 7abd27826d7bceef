// Keeps the page's desktop slider, the added screen-area slider and the screen-size label
// consistent while the user works on the page.
#pragma once

#include "platform/platform.h"

struct ScreenSize {
    uint32_t width;
    uint32_t height;
};

// Notes whether both sliders stand at the same position.
void UpdateSizesEqual();
// Puts the screen slider at `index` (the desktop slider's position for -1) and shows a size:
// `size` when given, else the size at the slider's position.
void ShowScreenSize(int32_t index, const ScreenSize* size);
void SyncScreenToDesktop();
int32_t OnScreenSliderScroll(HWND page, WPARAM wParam, HWND slider);
void SetScreenRange();

#ifdef KVSETTNG_TEST_ACCESSORS
// For tests; not built into KVSETTNG.DLL. Whether both sliders stood at the same position
// when last compared.
bool GetSizesEqual();
#endif
