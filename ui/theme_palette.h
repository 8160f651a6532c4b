// The colours of Setup's own look, light or dark after the user's app theme.
#pragma once

#include <windows.h>

#include <optional>

struct ThemePalette {
  bool dark = false;
  COLORREF WindowBackground;
  COLORREF CardBackground;
  COLORREF CardBorder;
  COLORREF HeaderTop;
  COLORREF HeaderBottom;
  COLORREF HeaderTitleText;
  COLORREF HeaderSubtitleText;
  COLORREF BodyText;
  COLORREF LogBackground;
  COLORREF LogText;
  COLORREF ProgressTrack;
  COLORREF Accent;
  COLORREF AccentHover;
  COLORREF AccentPressed;
  COLORREF DisabledFill;
  COLORREF DisabledText;
  COLORREF DangerText;
  COLORREF DangerBorder;
  COLORREF DangerHoverFill;
  COLORREF NeutralText;
  COLORREF NeutralHoverText;
  COLORREF NeutralHoverFill;
};

const ThemePalette& LightPalette();
const ThemePalette& DarkPalette();

// The palette for a read AppsUseLightTheme value: dark only when it was read
// and is 0; a missing key or value means light.
const ThemePalette& PaletteForAppTheme(std::optional<DWORD> appsUseLightTheme);

// The process-wide palette; light until DecideTheme has run.
const ThemePalette& Palette();

// Reads the user's app theme once and fills the palette from it.
void DecideTheme();
