// Rounded flat buttons in three styles, with hover, pressed and disabled looks.
#pragma once

#include <windows.h>

#include "ui/theme_palette.h"

enum class ButtonStyle { Primary, Danger, Plain };

struct ButtonState {
  bool disabled = false;
  bool pressed = false;
  bool hovered = false;
};

struct ButtonLook {
  COLORREF fill;
  COLORREF border;
  COLORREF text;
};

// The colours of a button: a disabled look wins over pressed, pressed over
// hovered.
ButtonLook ButtonLookFor(const ThemePalette& palette, ButtonStyle style, ButtonState state);

// The access key is underlined only once the keyboard is in use.
UINT AccessKeyFormat(const DRAWITEMSTRUCT* item);

// A focus ring: at least 2 pixels, growing with the DPI of the fonts.
int FocusRingThickness();
void DrawFocusRing(HDC dc, const RECT& rect, COLORREF colour, int thickness);

// Draws an owner-drawn button in the current palette; a focused one gets a
// ring of at least 3:1 against the colours around it.
BOOL DrawButton(const DRAWITEMSTRUCT* item, ButtonStyle style);
