#include "app/unattended_run.h"

#include <string>

#include "app/launch_options.h"
#include "app/window_messages.h"
#include "base/language_table.h"
#include "base/run_log.h"
#include "ops/install_state.h"
#include "ui/main_window_state.h"

namespace {

void Finish(HWND dialog, int exitCode) {
  WriteRunLog(L"종료 코드: " + std::to_wstring(exitCode));
  ::EndDialog(dialog, exitCode);
}

}  // namespace

void BeginUnattendedRun(HWND dialog) {
  const OperationKind kind = CurrentLaunchOptions().uninstall ? kOperationUninstall : kOperationInstall;
  // A removal means this keyboard: without it there is nothing to remove,
  // and the others stay.
  if (kind == kOperationUninstall && !DetectInstallState().targetInstalled) {
    WriteRunLog(L"제거할 " + std::wstring(TargetLanguage().koreanName) + L" 키보드가 설치되어 있지 않습니다.");
    Finish(dialog, 0);
    return;
  }
  // Posted, like the automatic update's request, so it runs once the dialog is up.
  ::PostMessageW(dialog, WM_APP_REQUEST_INSTALL, static_cast<WPARAM>(kind), 0);
}

void FinishUnattendedRunIfDone(HWND dialog) {
  const MainWindowState& state = MainState();
  if (!IsUnattended(CurrentLaunchOptions()) || state.busy || !state.finishedExitCode) return;
  Finish(dialog, *state.finishedExitCode);
}

void KeepHiddenWhenQuiet(WINDOWPOS* position) {
  if (position != nullptr && CurrentLaunchOptions().quiet) position->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
}
