#include "ui/log_input_filter.h"

#include "ui/window_subclass.h"

bool IsBlockedLogInput(UINT message, WPARAM wParam, bool shiftDown) {
  switch (message) {
    case WM_CHAR:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:  // the context menu's Delete
    case WM_UNDO:
    case EM_UNDO:
    // An input method's composition and its result (Korean or Japanese input).
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_COMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_CHAR:
      return true;
    case WM_KEYDOWN:
      // Shift+Insert pastes inside the control without a message of its own.
      return wParam == VK_DELETE || wParam == VK_BACK || (wParam == VK_INSERT && shiftDown);
    default:
      return false;
  }
}

LRESULT CALLBACK LogInputFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (IsBlockedLogInput(message, wParam, ::GetKeyState(VK_SHIFT) < 0)) return 0;
  if (message == WM_NCDESTROY) RemoveSubclass(window, LogInputFilter);
  return DefaultSubclassProc(window, message, wParam, lParam);
}

bool InstallLogInputFilter(HWND logPane) { return InstallSubclass(logPane, LogInputFilter); }
