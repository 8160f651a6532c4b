#include "ui/theme_resources.h"

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

HFONT CreateUiFont(const wchar_t* face, int points, int weight) {
  UniqueScreenDc screen(::GetDC(nullptr));
  const int height = ::MulDiv(points, ::GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
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

void CreateThemeFonts() {
  OwnedFonts& f = g_ownedFonts;
  f.headerTitle.reset(CreateUiFont(L"Segoe UI", 14, 600));
  f.headerSubtitle.reset(CreateUiFont(L"Segoe UI", 9, 400));
  f.status.reset(CreateUiFont(L"Segoe UI", 9, 400));
  f.step.reset(CreateUiFont(L"Segoe UI", 9, 600));
  f.logToggle.reset(CreateUiFont(L"Segoe UI", 8, 600));
  f.log.reset(CreateUiFont(L"Consolas", 9, 400));
  f.button.reset(CreateUiFont(L"Segoe UI", 9, 600));
  g_fonts = {f.headerTitle.get(), f.headerSubtitle.get(), f.status.get(), f.step.get(), f.logToggle.get(),
             f.log.get(),         f.button.get()};
}

const ThemeBrushes& Brushes() { return g_brushes; }
const ThemeFonts& Fonts() { return g_fonts; }
