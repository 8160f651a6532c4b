// Setup's main dialog resource with its font and manifest behind a procedure
// that does nothing: what a first window costs under this system.
#include <windows.h>
#include <commctrl.h>

#include "res/resource_ids.h"

namespace {

INT_PTR CALLBACK DoNothing(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_CLOSE) {
    ::EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&classes);
  return static_cast<int>(::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, DoNothing, 0));
}
