#include "ui/status_area.h"

#include "app/main_window_state.h"
#include "res/resource_ids.h"

namespace {

constexpr wchar_t kToggleExpand[] = L"▶  상세 로그 펼치기";
constexpr wchar_t kToggleCollapse[] = L"▼  상세 로그 접기";

}  // namespace

void SetInitialCaptions(HWND dialog) {
  ::SetDlgItemTextW(dialog, IDC_CLOSE, L"닫기");
  ::SetDlgItemTextW(dialog, IDC_INSTALL, L"설치");
  ::SetDlgItemTextW(dialog, IDC_REMOVE, L"삭제");
  ::SetDlgItemTextW(dialog, IDC_NOTICES, L"라이선스");
  ::SetDlgItemTextW(dialog, IDC_LOG_TOGGLE, kToggleExpand);
}

void SetLogExpanded(bool expanded) {
  MainWindowState& state = MainState();
  if (MainWindowHandle() == nullptr || state.controls.logPane == nullptr ||
      state.controls.logToggle == nullptr) {
    return;
  }
  state.logExpanded = expanded;
  ShowLogPane();
  ::SetWindowTextW(state.controls.logToggle, expanded ? kToggleCollapse : kToggleExpand);
  ::InvalidateRect(state.controls.logToggle, nullptr, FALSE);
}

void ShowLogPane() {
  const MainWindowState& state = MainState();
  ::ShowWindow(state.controls.logPane, state.logExpanded ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void FocusDefaultButton() {
  const MainWindowState& state = MainState();
  if (state.busy) return;
  HWND target = state.controls.install != nullptr ? state.controls.install : state.controls.close;
  if (target != nullptr) ::SetFocus(target);
}
