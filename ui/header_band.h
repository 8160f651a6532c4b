// The blue header band of the main dialog: gradient, icon, title, subtitle.
#pragma once

#include <windows.h>

// A colour channel as a gradient vertex takes it: 16 bits, the 8-bit value
// in the high byte.
COLOR16 GradientChannel(BYTE value);

// The two vertices of a vertical gradient from `top` at the rectangle's top
// edge to `bottom` at its bottom edge.
void HeaderGradientVertices(const RECT& rect, COLORREF top, COLORREF bottom, TRIVERTEX (&vertices)[2]);

BOOL DrawHeaderBand(const DRAWITEMSTRUCT* item);
