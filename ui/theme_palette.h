// The colours of Setup's own look: light or dark after the user's app theme,
// or the system's own colours when a high-contrast theme is on.
#pragma once

#include <windows.h>

#include <optional>

struct ThemePalette {
  bool dark = false;
  bool highContrast = false;  // the frame is then left to the system
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
  COLORREF AccentText;
  COLORREF DisabledFill;
  COLORREF DisabledText;
  COLORREF DangerText;
  COLORREF DangerBorder;
  COLORREF DangerHoverFill;
  COLORREF NeutralText;
  COLORREF NeutralHoverText;
  COLORREF NeutralHoverFill;
  COLORREF FocusRing;  // around a focused control on the window or card (the primary button's is its text colour)
};

const ThemePalette& LightPalette();
const ThemePalette& DarkPalette();

// The palette for a read AppsUseLightTheme value: dark only when it was read
// and is 0; a missing key or value means light.
const ThemePalette& PaletteForAppTheme(std::optional<DWORD> appsUseLightTheme);

// The system colours a high-contrast theme sets, as GetSysColor gives them.
struct SystemColors {
  COLORREF window;
  COLORREF windowText;
  COLORREF highlight;
  COLORREF highlightText;
  COLORREF grayText;
};

// Every colour of the look taken from the high-contrast system colours.
ThemePalette HighContrastPalette(const SystemColors& colors);

// High contrast wins over the app theme.
ThemePalette ChoosePalette(bool highContrast, std::optional<DWORD> appsUseLightTheme, const SystemColors& colors);

// The process-wide palette; light until DecideTheme has run.
const ThemePalette& Palette();

// Reads the user's settings (high contrast, the app theme and the system
// colours) and fills the palette from them; again whenever they change.
void DecideTheme();
