#include "ui/owner_drawing.h"

#include "res/resource_ids.h"
#include "ui/button_drawing.h"
#include "ui/card_drawing.h"
#include "ui/gdi_scope.h"
#include "ui/header_band.h"
#include "ui/main_layout.h"
#include "ui/owner_button.h"
#include "ui/theme_palette.h"
#include "ui/theme_resources.h"

void DrawStaticText(const DRAWITEMSTRUCT* item, HBRUSH background, COLORREF colour, HFONT font) {
  ::FillRect(item->hDC, &item->rcItem, background);
  wchar_t text[512] = {};
  ::GetWindowTextW(item->hwndItem, text, 512);
  RECT area = item->rcItem;
  ScopedTextLook look(item->hDC, colour, font);
  // Status texts may carry paths and messages: an ampersand is shown as is.
  ::DrawTextW(item->hDC, text, -1, &area, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_LEFT);
}

void DrawLogToggle(const DRAWITEMSTRUCT* item) {
  const ThemePalette& palette = Palette();
  ::FillRect(item->hDC, &item->rcItem, Brushes().cardBackground);
  wchar_t text[128] = {};
  ::GetWindowTextW(item->hwndItem, text, 128);
  RECT area = item->rcItem;
  const int thickness = FocusRingThickness();
  area.left += 2 * thickness;  // room for the focus ring
  {
    ScopedTextLook look(item->hDC, IsHovered(item->hwndItem) ? palette.AccentHover : palette.Accent, Fonts().logToggle);
    ::DrawTextW(item->hDC, text, -1, &area, DT_SINGLELINE | DT_VCENTER | DT_LEFT | AccessKeyFormat(item));
  }
  if ((item->itemState & ODS_FOCUS) != 0) DrawFocusRing(item->hDC, item->rcItem, palette.FocusRing, thickness);
}

BOOL DrawMainDialogItem(const DRAWITEMSTRUCT* item) {
  if (item == nullptr) return FALSE;
  const ThemePalette& palette = Palette();
  switch (item->CtlID) {
    case IDC_HEADER_TITLE:
      return DrawHeaderText(item, CurrentLayout().headerRect, Fonts().headerTitle, palette.HeaderTitleText);
    case IDC_HEADER_SUBTITLE:
      return DrawHeaderText(item, CurrentLayout().headerRect, Fonts().headerSubtitle, palette.HeaderSubtitleText);
    case IDC_STATUS_LINE:
      DrawStaticText(item, Brushes().cardBackground, palette.BodyText, Fonts().status);
      return TRUE;
    case IDC_STEP_LINE:
      DrawStaticText(item, Brushes().cardBackground, palette.Accent, Fonts().step);
      return TRUE;
    case IDC_INSTALL:
      return DrawButton(item, ButtonStyle::Primary);
    case IDC_REMOVE:
      return DrawButton(item, ButtonStyle::Danger);
    case IDC_CLOSE:
    case IDC_NOTICES:
      return DrawButton(item, ButtonStyle::Plain);
    case IDC_CARD:
      DrawCard(item->hDC, item->rcItem);
      return TRUE;
    case IDC_LOG_TOGGLE:
      DrawLogToggle(item);
      return TRUE;
    default:
      return FALSE;
  }
}
