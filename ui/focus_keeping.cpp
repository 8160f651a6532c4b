#include "ui/focus_keeping.h"

#include <algorithm>

#include "res/resource_ids.h"
#include "ui/main_window_state.h"

void MoveFocusOffControls(HWND dialog, std::initializer_list<HWND> leaving) {
  const HWND focus = ::GetFocus();
  if (dialog == nullptr || std::find(leaving.begin(), leaving.end(), focus) == leaving.end()) return;
  HWND next = focus;
  for (int step = 0; step < 32; ++step) {
    next = ::GetNextDlgTabItem(dialog, next, FALSE);
    if (next == nullptr || next == focus) return;
    if (std::find(leaving.begin(), leaving.end(), next) == leaving.end()) {
      ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
      return;
    }
  }
}

void UpdateDefaultButton() {
  const MainWindowState& state = MainState();
  if (state.dialog == nullptr) return;
  int id = IDC_INSTALL;
  if (state.downloading) {
    id = IDC_CLOSE;
  } else if (state.busy) {
    id = 0;
  }
  ::SendMessageW(state.dialog, DM_SETDEFID, static_cast<WPARAM>(id), 0);
}
