#include "ui/theme_resources.h"

#include <utility>

#include "base/win_handle.h"
#include "ui/theme_palette.h"

namespace {

struct OwnedBrushes {
  UniqueBrush windowBackground;
  UniqueBrush cardBackground;
  UniqueBrush logBackground;
};

struct OwnedFonts {
  UniqueFont headerTitle;
  UniqueFont headerSubtitle;
  UniqueFont status;
  UniqueFont step;
  UniqueFont logToggle;
  UniqueFont log;
  UniqueFont button;
};

// Owners release at process end; the views hand out the plain handles.
OwnedBrushes g_ownedBrushes;
OwnedFonts g_ownedFonts;
ThemeBrushes g_brushes;
ThemeFonts g_fonts;

}  // namespace

HFONT CreateUiFont(const wchar_t* face, double points, int weight, UINT dpi, double scale) {
  const int height = static_cast<int>(points * scale * dpi / 72.0 + 0.5);
  return ::CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
}

void CreateThemeBrushes() {
  const ThemePalette& palette = Palette();
  g_ownedBrushes.windowBackground.reset(::CreateSolidBrush(palette.WindowBackground));
  g_ownedBrushes.cardBackground.reset(::CreateSolidBrush(palette.CardBackground));
  g_ownedBrushes.logBackground.reset(::CreateSolidBrush(palette.LogBackground));
  g_brushes = {g_ownedBrushes.windowBackground.get(), g_ownedBrushes.cardBackground.get(),
               g_ownedBrushes.logBackground.get()};
}

void CreateThemeFonts(UINT dpi, double scale) {
  OwnedFonts made;
  made.headerTitle.reset(CreateUiFont(L"Segoe UI", 14, 600, dpi, scale));
  made.headerSubtitle.reset(CreateUiFont(L"Segoe UI", 9, 400, dpi, scale));
  made.status.reset(CreateUiFont(L"Segoe UI", 9, 400, dpi, scale));
  made.step.reset(CreateUiFont(L"Segoe UI", 9, 600, dpi, scale));
  made.logToggle.reset(CreateUiFont(L"Segoe UI", 8, 600, dpi, scale));
  made.log.reset(CreateUiFont(L"Consolas", 9, 400, dpi, scale));
  made.button.reset(CreateUiFont(L"Segoe UI", 9, 600, dpi, scale));
  g_fonts = {made.headerTitle.get(),
             made.headerSubtitle.get(),
             made.status.get(),
             made.step.get(),
             made.logToggle.get(),
             made.log.get(),
             made.button.get(),
             dpi,
             scale};
  // The old fonts go only now: the controls are told of the new ones first.
  std::swap(g_ownedFonts, made);
}

const ThemeBrushes& Brushes() { return g_brushes; }
const ThemeFonts& Fonts() { return g_fonts; }
