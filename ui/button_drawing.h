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

// Draws an owner-drawn button in the current palette.
BOOL DrawButton(const DRAWITEMSTRUCT* item, ButtonStyle style);
