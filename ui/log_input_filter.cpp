#include "ui/log_input_filter.h"

#include "ui/window_subclass.h"

bool IsBlockedLogInput(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_CHAR:
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
