#include "ui/owner_button.h"

#include "ui/window_subclass.h"

namespace {

constexpr wchar_t kHoverProperty[] = L"OLT_Hover";
constexpr wchar_t kDefaultProperty[] = L"OLT_Default";

void OnMouseMove(HWND window) {
  if (IsHovered(window)) return;
  ::SetPropW(window, kHoverProperty, reinterpret_cast<HANDLE>(1));
  // Without a leave notification the marker would stay after the mouse left.
  TRACKMOUSEEVENT track = {};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = window;
  track.dwHoverTime = 0;
  ::TrackMouseEvent(&track);
  ::InvalidateRect(window, nullptr, FALSE);
}

// The dialog manager makes a button its default by changing its style; the
// owner-drawn type must stay, so only the default marker is kept.
void OnSetStyle(HWND window, WPARAM style, LPARAM redraw) {
  const bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  if (isDefault) {
    ::SetPropW(window, kDefaultProperty, reinterpret_cast<HANDLE>(1));
  } else {
    ::RemovePropW(window, kDefaultProperty);
  }
  if (redraw != 0) ::InvalidateRect(window, nullptr, FALSE);
}

}  // namespace

LRESULT CALLBACK OwnerButtonSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the owner drawing covers the whole button
    case WM_GETDLGCODE:
      return DLGC_BUTTON | (IsDefaultButton(window) ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
      OnSetStyle(window, wParam, lParam);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(window);
      break;
    case WM_MOUSELEAVE:
      ::RemovePropW(window, kHoverProperty);
      ::InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      ::RemovePropW(window, kHoverProperty);
      ::RemovePropW(window, kDefaultProperty);
      RemoveSubclass(window, OwnerButtonSubclass);
      break;
    default:
      break;
  }
  return DefaultSubclassProc(window, message, wParam, lParam);
}

bool InstallOwnerButtonSubclass(HWND button) { return InstallSubclass(button, OwnerButtonSubclass); }

bool IsHovered(HWND window) { return ::GetPropW(window, kHoverProperty) != nullptr; }

bool IsDefaultButton(HWND window) { return ::GetPropW(window, kDefaultProperty) != nullptr; }
