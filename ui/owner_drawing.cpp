#include "ui/owner_drawing.h"

#include "res/resource_ids.h"

// A plain look in the system colours, so every control is visible and usable;
// the product's own light and dark look replaces it.

namespace {

void DrawItemText(const DRAWITEMSTRUCT* item, UINT format) {
  wchar_t text[512] = {};
  ::GetWindowTextW(item->hwndItem, text, 512);
  ::SetBkMode(item->hDC, TRANSPARENT);
  const bool disabled = (item->itemState & ODS_DISABLED) != 0;
  ::SetTextColor(item->hDC, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  HFONT font = reinterpret_cast<HFONT>(::SendMessageW(item->hwndItem, WM_GETFONT, 0, 0));
  HGDIOBJ previous = font != nullptr ? ::SelectObject(item->hDC, font) : nullptr;
  RECT area = item->rcItem;
  ::DrawTextW(item->hDC, text, -1, &area, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (previous != nullptr) ::SelectObject(item->hDC, previous);
}

}  // namespace

BOOL DrawPlainButton(const DRAWITEMSTRUCT* item) {
  if (item == nullptr || item->CtlType != ODT_BUTTON) return FALSE;
  RECT area = item->rcItem;
  ::FillRect(item->hDC, &area, ::GetSysColorBrush(COLOR_BTNFACE));
  const bool pressed = (item->itemState & ODS_SELECTED) != 0;
  ::DrawEdge(item->hDC, &area, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  DrawItemText(item, DT_CENTER);
  if ((item->itemState & ODS_FOCUS) != 0 && (item->itemState & ODS_DISABLED) == 0) {
    RECT focus = item->rcItem;
    ::InflateRect(&focus, -4, -4);
    ::DrawFocusRect(item->hDC, &focus);
  }
  return TRUE;
}

BOOL DrawMainDialogItem(const DRAWITEMSTRUCT* item) {
  if (item == nullptr) return FALSE;
  switch (item->CtlID) {
    case IDC_INSTALL:
    case IDC_REMOVE:
    case IDC_CLOSE:
    case IDC_NOTICES:
      return DrawPlainButton(item);
    case IDC_STATUS_LINE:
    case IDC_STEP_LINE:
    case IDC_LOG_TOGGLE:
      ::FillRect(item->hDC, &item->rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
      DrawItemText(item, DT_LEFT | DT_END_ELLIPSIS);
      return TRUE;
    case IDC_HEADER_TITLE:
    case IDC_HEADER_SUBTITLE:
    case IDC_HEADER_BAND:
    case IDC_CARD:
      return TRUE;
    default:
      return FALSE;
  }
}
