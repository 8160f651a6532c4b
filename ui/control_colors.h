// Background erasing and the colours the dialogs give their standard controls.
#pragma once

#include <windows.h>

// WM_ERASEBKGND of the main dialog: window background, then the card.
void EraseMainDialog(HWND dialog, HDC dc);

// WM_CTLCOLOREDIT and WM_CTLCOLORSTATIC of the main dialog: the brush to answer.
HBRUSH MainDialogControlColor(UINT message, HDC dc, HWND control);

// WM_CTLCOLOREDIT and WM_CTLCOLORSTATIC of a secondary dialog: its text on the card.
HBRUSH CardControlColor(HDC dc);
