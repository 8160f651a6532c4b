#include "ui/header_band.h"

#include "base/system_library.h"
#include "base/win_handle.h"
#include "res/resource_ids.h"
#include "ui/gdi_scope.h"
#include "ui/theme_palette.h"
#include "ui/theme_resources.h"

namespace {

constexpr UINT kTextFormat = DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_LEFT;

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

void PaintHeaderBand(HDC dc, const RECT& band, const RECT& icon) {
  if (band.right <= band.left) return;
  FillGradient(dc, band);
  const int width = icon.right - icon.left;
  const int height = icon.bottom - icon.top;
  if (width <= 0 || height <= 0) return;
  // The icon image nearest the place's size (16 up to 256), so it stays sharp.
  UniqueIcon image(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON,
                                                   width, height, LR_DEFAULTCOLOR)));
  if (image) ::DrawIconEx(dc, icon.left, icon.top, image.get(), width, height, 0, nullptr, DI_NORMAL);
}

BOOL DrawHeaderText(const DRAWITEMSTRUCT* item, const RECT& band, HFONT font, COLORREF colour) {
  if (item == nullptr) return FALSE;
  // The band's gradient as it stands behind the text, in the text's own
  // coordinates, so the two meet without a seam.
  RECT place{};
  ::GetWindowRect(item->hwndItem, &place);
  ::MapWindowPoints(nullptr, ::GetParent(item->hwndItem), reinterpret_cast<POINT*>(&place), 2);
  RECT behind = band;
  ::OffsetRect(&behind, -place.left, -place.top);
  FillGradient(item->hDC, behind);
  wchar_t text[512] = {};
  ::GetWindowTextW(item->hwndItem, text, 512);
  RECT area = item->rcItem;
  ScopedTextLook look(item->hDC, colour, font);
  ::DrawTextW(item->hDC, text, -1, &area, kTextFormat);
  return TRUE;
}
