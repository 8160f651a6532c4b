// The brushes and fonts of the theme: made once when the main dialog starts
// and kept until the process ends; the notices dialog uses them too.
#pragma once

#include <windows.h>

// A font of the given face, size in points at the screen's DPI, and weight.
HFONT CreateUiFont(const wchar_t* face, int points, int weight);

struct ThemeBrushes {
  HBRUSH windowBackground = nullptr;
  HBRUSH cardBackground = nullptr;
  HBRUSH logBackground = nullptr;
};

struct ThemeFonts {
  HFONT headerTitle = nullptr;
  HFONT headerSubtitle = nullptr;
  HFONT status = nullptr;
  HFONT step = nullptr;
  HFONT logToggle = nullptr;
  HFONT log = nullptr;  // also the notices text
  HFONT button = nullptr;
};

// Made from the current palette; replaces any made before.
void CreateThemeBrushes();
void CreateThemeFonts();

// Null members until created.
const ThemeBrushes& Brushes();
const ThemeFonts& Fonts();
