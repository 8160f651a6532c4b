#include "ops/operation_lifecycle.h"

#include "app/main_window_state.h"
#include "app/window_setters.h"
#include "ops/install_state.h"
#include "ops/operation_flags.h"
#include "ops/setup_lock.h"
#include "ui/confirm_prompt.h"

namespace {

void DecideFlags(OperationKind kind, const InstallState& state) {
  OperationFlags& flags = CurrentOperationFlags();
  if (kind == kOperationUninstall && state.targetInstalled && !state.otherLanguages.empty()) {
    flags.partialUninstall = true;
    flags.addLanguage = false;
  } else {
    flags.partialUninstall = false;
    flags.addLanguage = kind == kOperationInstall && state.installed && !state.targetInstalled;
  }
}

void ReportDeclined(OperationKind kind) {
  if (kind == kOperationUninstall) {
    SetStatusText(L"삭제를 취소했습니다.");
  } else {
    SetStatusText(IsProductInstalled() ? L"업데이트를 취소했습니다." : L"설치를 취소했습니다.");
  }
  AppendLog(L"사용자가 작업을 취소했습니다.");
}

}  // namespace

void RequestOperation(OperationKind kind) {
  HWND window = MainWindowHandle();
  if (MainState().busy || window == nullptr) return;
  BringToFront();
  CurrentOperationFlags().wasInstalled = false;
  DecideFlags(kind, DetectInstallState());

  if (!ConfirmOperation(kind == kOperationUninstall)) {
    ReportDeclined(kind);
    return;
  }
  if (kind == kOperationInstall) {
    CurrentOperationFlags().wasInstalled = IsProductInstalled();
    WriteSetupLock();  // the operation goes on without it
  }
  BringToFront();
  // A message of its own, so the start runs after the question has closed.
  ::PostMessageW(window, WM_APP_START_OPERATION, static_cast<WPARAM>(kind), 0);
}

// The worker and script are not built yet, so a confirmed operation does not
// start; the completion still releases the window, so it can never stay busy.
void StartOperation(OperationKind) {}

void CompleteOperation(OperationKind, int, const std::wstring&) { SetBusy(false); }
