// Applying the chosen screen area when the sheet applies its pages: the question, the test
// with the five-second confirmation, the revert, and the persisted size after a colour-depth
// change.
#pragma once

#include "platform/platform.h"

const UINT_PTR kConfirmTimerId = 100;
const UINT kConfirmTimerPeriod = 5000;

void BeginApply();
bool IsApplyPending();
void EndApply();
int32_t GetSavedScreenPos();
void SetSavedScreenPos(int32_t position);

void ApplyScreenArea(int fromDisplayChange);
void RevertScreenArea();
void RejectScreenArea();

INT_PTR RunConfirmDialog(HWND owner);
int CloseConfirmDialog();
INT_PTR CALLBACK ConfirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

UINT_PTR StartConfirmTimer(HWND window, UINT_PTR id, UINT period);
BOOL StopConfirmTimer();
void CALLBACK ConfirmTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

// Whether the colour depth picked in the depth combo box differs from the screen's.
bool IsDepthChanged();
