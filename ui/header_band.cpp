#include "ui/header_band.h"

#include "base/system_library.h"
#include "base/win_handle.h"
#include "res/resource_ids.h"
#include "ui/gdi_scope.h"
#include "ui/theme_palette.h"
#include "ui/theme_resources.h"

namespace {

constexpr UINT kTextFormat = DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_LEFT;

// A control's rectangle in the coordinates of the band; empty when it is missing.
RECT RectInBand(HWND band, int id) {
  RECT rect{};
  HWND control = ::GetDlgItem(::GetParent(band), id);
  if (control == nullptr) return rect;
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, band, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void FillGradient(HDC dc, const RECT& rect) {
  static const auto gradientFill = SystemFunction<decltype(&::GradientFill)>(L"msimg32.dll", "GradientFill");
  const ThemePalette& palette = Palette();
  if (gradientFill == nullptr) {
    // Without the drawing library the band is still blue.
    UniqueBrush fill(::CreateSolidBrush(palette.HeaderBottom));
    ::FillRect(dc, &rect, fill.get());
    return;
  }
  TRIVERTEX vertices[2];
  HeaderGradientVertices(rect, palette.HeaderTop, palette.HeaderBottom, vertices);
  GRADIENT_RECT mesh = {0, 1};
  gradientFill(dc, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_V);
}

void DrawHeaderIcon(HWND band, HDC dc) {
  if (::GetDlgItem(::GetParent(band), IDC_HEADER_ICON) == nullptr) return;
  const RECT place = RectInBand(band, IDC_HEADER_ICON);
  const int width = place.right - place.left;
  const int height = place.bottom - place.top;
  // The icon image nearest the place's size, so the stretch stays sharp.
  UniqueIcon icon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON,
                                                  width, height, LR_DEFAULTCOLOR)));
  if (icon) ::DrawIconEx(dc, place.left, place.top, icon.get(), width, height, 0, nullptr, DI_NORMAL);
}

void DrawHeaderText(HWND band, HDC dc, int id, HFONT font, COLORREF colour) {
  wchar_t text[512] = {};
  ::GetDlgItemTextW(::GetParent(band), id, text, 512);
  RECT place = RectInBand(band, id);
  ScopedTextLook look(dc, colour, font);
  ::DrawTextW(dc, text, -1, &place, kTextFormat);
}

}  // namespace

COLOR16 GradientChannel(BYTE value) { return static_cast<COLOR16>(value << 8); }

void HeaderGradientVertices(const RECT& rect, COLORREF top, COLORREF bottom, TRIVERTEX (&vertices)[2]) {
  vertices[0] = {rect.left,
                 rect.top,
                 GradientChannel(GetRValue(top)),
                 GradientChannel(GetGValue(top)),
                 GradientChannel(GetBValue(top)),
                 0};
  vertices[1] = {rect.right,
                 rect.bottom,
                 GradientChannel(GetRValue(bottom)),
                 GradientChannel(GetGValue(bottom)),
                 GradientChannel(GetBValue(bottom)),
                 0};
}

BOOL DrawHeaderBand(const DRAWITEMSTRUCT* item) {
  if (item == nullptr) return FALSE;
  HWND band = item->hwndItem;
  FillGradient(item->hDC, item->rcItem);
  DrawHeaderIcon(band, item->hDC);
  const ThemePalette& palette = Palette();
  DrawHeaderText(band, item->hDC, IDC_HEADER_TITLE, Fonts().headerTitle, palette.HeaderTitleText);
  DrawHeaderText(band, item->hDC, IDC_HEADER_SUBTITLE, Fonts().headerSubtitle, palette.HeaderSubtitleText);
  return TRUE;
}
