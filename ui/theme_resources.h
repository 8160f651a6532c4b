// The brushes and fonts of the theme: made once when the main dialog starts
// and kept until the process ends; the notices dialog uses them too.
#pragma once

#include <windows.h>

// A font of the given face, size in points (times `scale`) at `dpi`, and weight.
HFONT CreateUiFont(const wchar_t* face, double points, int weight, UINT dpi, double scale);

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
  UINT dpi = 96;       // what they were made for
  double scale = 1.0;  // and how much larger than the design
};

// Made from the current palette; replaces any made before.
void CreateThemeBrushes();
void CreateThemeFonts(UINT dpi, double scale);

// Null members until created.
const ThemeBrushes& Brushes();
const ThemeFonts& Fonts();
