// Selects a GDI object into a DC for one drawing and puts the old one back.
#pragma once

#include <windows.h>

class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (previous_ != nullptr) ::SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Draws text with a transparent background in one colour and font, restoring
// the DC's colour and mode afterwards.
class ScopedTextLook {
 public:
  ScopedTextLook(HDC dc, COLORREF colour, HFONT font)
      : dc_(dc), font_(dc, font), colour_(::SetTextColor(dc, colour)), mode_(::SetBkMode(dc, TRANSPARENT)) {}
  ~ScopedTextLook() {
    ::SetBkMode(dc_, mode_);
    ::SetTextColor(dc_, colour_);
  }
  ScopedTextLook(const ScopedTextLook&) = delete;
  ScopedTextLook& operator=(const ScopedTextLook&) = delete;

 private:
  HDC dc_;
  ScopedSelect font_;
  COLORREF colour_;
  int mode_;
};
