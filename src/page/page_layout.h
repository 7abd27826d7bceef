// The Settings page's screen-area controls: created as clones of the page's own controls
// (the Cloned layout) or adopted from the page (the Native layout), then set up from the
// driver's current screen area.
#pragma once

#include "platform/platform.h"

const int kScreenLabelTextLimit = 31;

// The page's initialisation: the layout decided and made, the two sliders recorded, the
// preview fitted to the monitor picture, the screen-area controls set up.
void AugmentPage();
// Shows and enables the screen-area row of the Native layout; nothing in the Cloned one.
void ShowScreenAreaControls();

// The distances, in pixels, that the Cloned layout raises and lowers controls by, for a
// dialog base unit height.
int RaiseDistance(int baseUnitHeight);
int LowerDistance(int baseUnitHeight);
// Where a picture control of client size (cw, ch) goes so that it is centred on a bitmap of
// (bw, bh): the offset from its client origin.
POINT CentringOffset(int clientWidth, int clientHeight, int bitmapWidth, int bitmapHeight);
// Deletes the lighter font made for the cloned controls, once their page is gone.
void ReleaseAddedFont();
