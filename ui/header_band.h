// The blue header band of the main dialog: gradient, icon, title, subtitle.
// The title and subtitle are controls of their own, so that screen readers
// find the window's heading; the band and icon are decoration.
#pragma once

#include <windows.h>

// A colour channel as a gradient vertex takes it: 16 bits, the 8-bit value
// in the high byte.
COLOR16 GradientChannel(BYTE value);

// The two vertices of a vertical gradient from `top` at the rectangle's top
// edge to `bottom` at its bottom edge.
void HeaderGradientVertices(const RECT& rect, COLORREF top, COLORREF bottom, TRIVERTEX (&vertices)[2]);

// The band itself, drawn by the dialog behind its controls: the gradient and
// the icon at its place (both in the dialog's client coordinates).
void PaintHeaderBand(HDC dc, const RECT& band, const RECT& icon);

// The title or subtitle: text on the band's gradient, as the band is drawn.
BOOL DrawHeaderText(const DRAWITEMSTRUCT* item, const RECT& band, HFONT font, COLORREF colour);
