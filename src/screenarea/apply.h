// Applying the chosen screen area when the sheet applies its pages: the question, the test
// with the five-second confirmation, the revert, and the persisted size after a colour-depth
// change.
#pragma once

#include "platform/platform.h"

const UINT_PTR kConfirmTimerId = 100;
const UINT kConfirmTimerPeriod = 5000;

// The sheet's apply runs between these two; the page's own apply may change the display
// mode in between, and the display change then applies the screen area.
void BeginApply();
bool IsApplyPending();
void EndApply();
// True while the user is asked about a new screen area or tests it: another apply of the
// sheet then is the page's own.
bool IsScreenAreaDecisionOpen();

// Sets the screen-area controls up from the driver's current screen area, and takes their
// position as the one to revert to.
void InitialiseScreenArea();

// On the sheet's apply: asks, tests and confirms the screen area, or persists it when the
// colour depth changes with it.
void ApplyScreenArea();
// After a display change during the sheet's apply: puts the screen area into force at once.
void ApplyScreenAreaAfterDisplayChange();
void RevertScreenArea();

UINT_PTR StartConfirmTimer(HWND window, UINT_PTR id, UINT period);

#ifdef KVSETTNG_TEST_ACCESSORS
// For tests; not built into KVSETTNG.DLL. The screen slider's position that a revert goes
// back to.
int32_t GetSavedScreenPos();
#endif
