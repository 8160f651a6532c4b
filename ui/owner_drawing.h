// The owner-drawn controls of the main dialog.
#pragma once

#include <windows.h>

// WM_DRAWITEM of the main dialog, by control id; FALSE for controls it does
// not draw.
BOOL DrawMainDialogItem(const DRAWITEMSTRUCT* item);

// A one-line text on a filled background; too long a text ends in "...".
void DrawStaticText(const DRAWITEMSTRUCT* item, HBRUSH background, COLORREF colour, HFONT font);

// The log toggle: a text link in the accent colour, lighter while hovered.
void DrawLogToggle(const DRAWITEMSTRUCT* item);
