#include "ui/control_colors.h"

#include "res/resource_ids.h"
#include "ui/card_drawing.h"
#include "ui/header_band.h"
#include "ui/main_layout.h"
#include "ui/theme_palette.h"
#include "ui/theme_resources.h"

namespace {

HBRUSH Colour(HDC dc, COLORREF text, COLORREF background, HBRUSH brush) {
  ::SetBkMode(dc, OPAQUE);
  ::SetTextColor(dc, text);
  ::SetBkColor(dc, background);
  return brush;
}

}  // namespace

void EraseMainDialog(HWND dialog, HDC dc) {
  RECT client{};
  ::GetClientRect(dialog, &client);
  ::FillRect(dc, &client, Brushes().windowBackground);
  const MainLayout& layout = CurrentLayout();
  PaintHeaderBand(dc, layout.headerRect, layout.iconRect);
  const RECT& card = layout.cardPaintRect;
  if (card.left < card.right) DrawCard(dc, card);
}

HBRUSH MainDialogControlColor(UINT message, HDC dc, HWND control) {
  const ThemePalette& p = Palette();
  const ThemeBrushes& brushes = Brushes();
  // The read-only log pane asks as a static does.
  if (message == WM_CTLCOLOREDIT || ::GetDlgCtrlID(control) == IDC_LOG_PANE) {
    return Colour(dc, p.LogText, p.LogBackground, brushes.logBackground);
  }
  switch (::GetDlgCtrlID(control)) {
    case IDC_STATUS_LINE:
      return Colour(dc, p.BodyText, p.CardBackground, brushes.cardBackground);
    case IDC_STEP_LINE:
      return Colour(dc, p.Accent, p.CardBackground, brushes.cardBackground);
    default:
      return Colour(dc, p.BodyText, p.WindowBackground, brushes.windowBackground);
  }
}

HBRUSH CardControlColor(HDC dc) {
  const ThemePalette& p = Palette();
  return Colour(dc, p.BodyText, p.CardBackground, Brushes().cardBackground);
}
