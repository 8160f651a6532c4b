#include "ui/log_input_filter.h"

#include "ui/window_subclass.h"

namespace {

// Ctrl+A and Ctrl+C arrive as characters but change nothing: selecting all
// and copying stay possible from the keyboard.
constexpr WPARAM kSelectAllChar = 0x01;
constexpr WPARAM kCopyChar = 0x03;

}  // namespace

bool IsBlockedLogInput(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_CHAR:
      return wParam != kSelectAllChar && wParam != kCopyChar;
    case WM_CUT:
    case WM_PASTE:
    case WM_UNDO:
      return true;
    case WM_KEYDOWN:
      return wParam == VK_DELETE || wParam == VK_BACK;
    default:
      return false;
  }
}

LRESULT CALLBACK LogInputFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (IsBlockedLogInput(message, wParam)) return 0;
  if (message == WM_NCDESTROY) RemoveSubclass(window, LogInputFilter);
  return DefaultSubclassProc(window, message, wParam, lParam);
}

bool InstallLogInputFilter(HWND logPane) { return InstallSubclass(logPane, LogInputFilter); }
