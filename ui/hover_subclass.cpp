#include "ui/hover_subclass.h"

#include "ui/window_subclass.h"

namespace {

constexpr wchar_t kHoverProperty[] = L"OLT_Hover";

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

}  // namespace

LRESULT CALLBACK HoverSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the owner drawing covers the whole button
    case WM_MOUSEMOVE:
      OnMouseMove(window);
      break;
    case WM_MOUSELEAVE:
      ::RemovePropW(window, kHoverProperty);
      ::InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      ::RemovePropW(window, kHoverProperty);
      RemoveSubclass(window, HoverSubclass);
      break;
    default:
      break;
  }
  return DefaultSubclassProc(window, message, wParam, lParam);
}

bool InstallHoverSubclass(HWND button) { return InstallSubclass(button, HoverSubclass); }

bool IsHovered(HWND window) { return ::GetPropW(window, kHoverProperty) != nullptr; }
