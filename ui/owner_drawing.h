// Drawing of the owner-drawn controls.
#pragma once

#include <windows.h>

// WM_DRAWITEM of the main dialog; FALSE for controls it does not draw.
BOOL DrawMainDialogItem(const DRAWITEMSTRUCT* item);

// A button with its caption in the system colours.
BOOL DrawPlainButton(const DRAWITEMSTRUCT* item);
