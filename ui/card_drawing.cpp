#include "ui/card_drawing.h"

#include "base/win_handle.h"
#include "ui/gdi_scope.h"
#include "ui/theme_palette.h"

void DrawCard(HDC dc, const RECT& rect) {
  const ThemePalette& palette = Palette();
  UniqueBrush fill(::CreateSolidBrush(palette.CardBackground));
  UniquePen border(::CreatePen(PS_SOLID, 1, palette.CardBorder));
  ScopedSelect brush(dc, fill.get());
  ScopedSelect pen(dc, border.get());
  ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 10, 10);
}

std::optional<RECT> SecondaryCardRect(const RECT& client, std::optional<int> bottomButtonTop, UINT dpi) {
  const auto scaled = [dpi](int pixels) { return ::MulDiv(pixels, static_cast<int>(dpi), 96); };
  RECT card{client.left + scaled(12), client.top + scaled(10), client.right - scaled(12), 0};
  card.bottom = bottomButtonTop ? *bottomButtonTop - scaled(8) : client.bottom - scaled(12);
  if (card.bottom <= card.top + scaled(24)) return std::nullopt;
  return card;
}

void PaintSecondaryBackground(HWND dialog, HDC dc, int bottomButtonId) {
  RECT client{};
  ::GetClientRect(dialog, &client);
  UniqueBrush background(::CreateSolidBrush(Palette().WindowBackground));
  ::FillRect(dc, &client, background.get());

  std::optional<int> buttonTop;
  if (HWND button = ::GetDlgItem(dialog, bottomButtonId)) {
    RECT rect{};
    ::GetWindowRect(button, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    buttonTop = rect.top;
  }
  if (const auto card = SecondaryCardRect(client, buttonTop, ::GetDpiForWindow(dialog))) DrawCard(dc, *card);
}
