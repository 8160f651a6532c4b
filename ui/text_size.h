// How much larger than its design the user wants text: the system's message
// font against the 9-point font the design assumes, or the text scale factor
// of "make text bigger", whichever is larger.
#pragma once

#include <windows.h>

// Never below 1: a smaller system font does not shrink Setup's look.
double TextFactorFor(int messageFontPixels, UINT dpi, DWORD textScalePercent);

// The same from the user's current settings at `dpi`.
double UserTextFactor(UINT dpi);
