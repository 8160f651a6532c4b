#include "ui/button_drawing.h"

#include "base/win_handle.h"
#include "ui/gdi_scope.h"
#include "ui/owner_button.h"
#include "ui/theme_resources.h"

namespace {

ButtonLook PrimaryLook(const ThemePalette& p, ButtonState state) {
  if (state.disabled) return {p.DisabledFill, p.DisabledFill, p.DisabledText};
  if (state.pressed) return {p.AccentPressed, p.AccentPressed, p.AccentText};
  if (state.hovered) return {p.AccentHover, p.AccentHover, p.AccentText};
  return {p.Accent, p.Accent, p.AccentText};
}

ButtonLook DangerLook(const ThemePalette& p, ButtonState state) {
  if (state.disabled) return {p.WindowBackground, p.CardBorder, p.DisabledText};
  if (state.pressed || state.hovered) return {p.DangerHoverFill, p.DangerBorder, p.DangerText};
  return {p.WindowBackground, p.DangerBorder, p.DangerText};
}

ButtonLook PlainLook(const ThemePalette& p, ButtonState state) {
  if (state.disabled) return {p.WindowBackground, p.WindowBackground, p.DisabledText};
  if (state.pressed || state.hovered) return {p.NeutralHoverFill, p.NeutralHoverFill, p.NeutralHoverText};
  return {p.WindowBackground, p.WindowBackground, p.NeutralText};
}

}  // namespace

UINT AccessKeyFormat(const DRAWITEMSTRUCT* item) { return (item->itemState & ODS_NOACCEL) != 0 ? DT_HIDEPREFIX : 0; }

int FocusRingThickness() {
  const int scaled = ::MulDiv(2, static_cast<int>(Fonts().dpi), 96);
  return scaled < 2 ? 2 : scaled;
}

void DrawFocusRing(HDC dc, const RECT& rect, COLORREF colour, int thickness) {
  UniquePen pen(::CreatePen(PS_INSIDEFRAME, thickness, colour));
  ScopedSelect brush(dc, ::GetStockObject(NULL_BRUSH));
  ScopedSelect outline(dc, pen.get());
  ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 6, 6);
}

ButtonLook ButtonLookFor(const ThemePalette& palette, ButtonStyle style, ButtonState state) {
  switch (style) {
    case ButtonStyle::Primary:
      return PrimaryLook(palette, state);
    case ButtonStyle::Danger:
      return DangerLook(palette, state);
    case ButtonStyle::Plain:
      break;
  }
  return PlainLook(palette, state);
}

BOOL DrawButton(const DRAWITEMSTRUCT* item, ButtonStyle style) {
  if (item == nullptr) return FALSE;
  const ButtonState state{(item->itemState & ODS_DISABLED) != 0, (item->itemState & ODS_SELECTED) != 0,
                          IsHovered(item->hwndItem)};
  const ButtonLook look = ButtonLookFor(Palette(), style, state);
  HDC dc = item->hDC;
  const RECT& rect = item->rcItem;
  {
    UniqueBrush fill(::CreateSolidBrush(look.fill));
    UniquePen border(::CreatePen(PS_SOLID, 1, look.border));
    ScopedSelect brush(dc, fill.get());
    ScopedSelect pen(dc, border.get());
    ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 8, 8);
  }

  wchar_t caption[64] = {};
  ::GetWindowTextW(item->hwndItem, caption, 64);
  RECT textRect = rect;
  {
    ScopedTextLook text(dc, look.text, Fonts().button);
    ::DrawTextW(dc, caption, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | AccessKeyFormat(item));
  }

  if ((item->itemState & ODS_FOCUS) != 0 && !state.disabled) {
    // On the accent fill the ring takes the text's colour, elsewhere its own.
    const int thickness = FocusRingThickness();
    RECT ring = rect;
    ::InflateRect(&ring, -thickness, -thickness);
    DrawFocusRing(dc, ring, style == ButtonStyle::Primary ? look.text : Palette().FocusRing, thickness);
  }
  return TRUE;
}
