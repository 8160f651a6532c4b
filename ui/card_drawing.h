// The rounded card that holds the content of Setup's dialogs.
#pragma once

#include <windows.h>

#include <optional>

// Rounded rectangle (10 x 10 corners) in the card colours.
void DrawCard(HDC dc, const RECT& rect);

// Where a secondary dialog's card goes in its client area: margins 12 at the
// sides and 10 at the top, ending 8 above the bottom button (12 above the
// client bottom without one), all scaled from 96 DPI. Nothing when it would be
// too short to show.
std::optional<RECT> SecondaryCardRect(const RECT& client, std::optional<int> bottomButtonTop, UINT dpi);

// The erase step of a secondary dialog: window background, then the card.
void PaintSecondaryBackground(HWND dialog, HDC dc, int bottomButtonId);
