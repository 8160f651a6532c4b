#include "app/operation_lifecycle.h"

#include <windows.h>

#include <memory>
#include <utility>

#include "app/launch_options.h"
#include "app/operation_state.h"
#include "app/unattended_run.h"
#include "app/window_posting.h"
#include "app/window_setters.h"
#include "base/exit_codes.h"
#include "base/installed_version.h"
#include "base/language_table.h"
#include "base/own_image.h"
#include "base/product_paths.h"
#include "base/run_log.h"
#include "base/user_messages.h"
#include "base/win_handle.h"
#include "base/work_report.h"
#include "ops/install_state.h"
#include "ops/operation_mutex.h"
#include "ops/setup_lock.h"
#include "ops/uninstall_registration.h"
#include "ops/worker.h"
#include "ui/confirm_prompt.h"
#include "ui/focus_keeping.h"
#include "ui/main_window_state.h"
#include "ui/status_area.h"

namespace {

// Held from the start until the completion (or the next start) closes it.
UniqueHandle g_workerThread;

HANDLE StartWorkerThread(WorkerRequest* request) { return ::CreateThread(nullptr, 0, WorkerMain, request, 0, nullptr); }

WorkerStarter g_startWorker = StartWorkerThread;

OperationFlags g_flags;

void DecideFlags(OperationKind kind, const InstallState& state) {
  OperationFlags& flags = g_flags;
  if (kind == kOperationUninstall && state.targetInstalled && !state.otherLanguages.empty()) {
    flags.partialUninstall = true;
    flags.addLanguage = false;
  } else {
    flags.partialUninstall = false;
    flags.addLanguage = kind == kOperationInstall && state.installed && !state.targetInstalled;
  }
}

// An unattended run waits this long for another Setup's operation to end.
constexpr DWORD kUnattendedWaitMs = 60000;

void ReportAnotherSetupWorking() {
  MainState().requestPending = false;
  MainState().finishedExitCode = kExitBusy;
  SetStatusText(L"다른 Setup이 작업 중입니다.");
  AppendLog(L"다른 Setup이 설치 또는 삭제 작업을 하고 있어 시작하지 않았습니다.");
  RefreshStatus();
  ShowMessage(L"다른 Setup이 설치 또는 삭제 작업을 하고 있습니다.\n그 작업이 끝난 뒤 다시 시도해 주세요.",
              MB_ICONWARNING);
}

void ReportDeclined(OperationKind kind) {
  ReleaseOperationMutex();
  if (kind == kOperationUninstall) {
    SetStatusText(L"삭제를 취소했습니다.");
  } else {
    SetStatusText(IsProductInstalled() ? L"업데이트를 취소했습니다." : L"설치를 취소했습니다.");
  }
  AppendLog(L"사용자가 작업을 취소했습니다.");
}

std::wstring LanguageArgument() { return std::wstring(L" -Language '") + TargetLanguage().code + L"'"; }

std::wstring OperationWord(OperationKind kind) {
  const OperationFlags& flags = g_flags;
  if (kind == kOperationUninstall) return L"삭제";
  if (flags.addLanguage) return L"추가";
  if (flags.wasInstalled) return L"업데이트";
  return L"설치";
}

void AnnounceStart(OperationKind kind) {
  SetStepText(L"패키지 준비 중...");
  const bool update = kind == kOperationInstall && g_flags.wasInstalled;
  SetStatusText(update ? L"업데이트 파일을 확인하는 중입니다..." : L"설치 파일을 확인하는 중입니다...");
  AppendLog(L"Orlinth Setup");
  AppendLog(L"작업: " + TargetLanguageLabel() + OperationWord(kind));
  AppendLog(L"패키지 다운로드는 백그라운드에서 진행됩니다.");
}

void ReportStartFailure(OperationKind kind, unsigned long startError) {
  SetBusy(false);
  MainState().requestPending = false;
  MainState().finishedExitCode = kExitFailure;
  SetStatusText(L"작업 스레드를 시작하지 못했습니다.");
  AppendLog(L"[오류] CreateThread 실패");
  if (startError != 0) WriteRunLog(L"[오류 " + std::to_wstring(startError) + L"] CreateThread");
  if (kind == kOperationInstall) {
    g_flags.wasInstalled = false;
    DeleteSetupLock();
  }
  RefreshStatus();
  ReleaseOperationMutex();
  ShowMessage(L"설치/삭제 작업을 시작하지 못했습니다.", MB_ICONERROR);
}

}  // namespace

OperationFlags& CurrentOperationFlags() { return g_flags; }

void ForgetWorkerThread() { g_workerThread.reset(); }

void RequestOperation(OperationKind kind) {
  HWND window = MainWindowHandle();
  // From the first moment until it is declined or completed: a click queued
  // meanwhile must neither ask again nor reset this request's flags.
  if (MainState().busy || MainState().requestPending || window == nullptr) return;
  MainState().requestPending = true;
  const LaunchOptions& options = CurrentLaunchOptions();
  // Before anything is asked or read: the state may change until then.
  if (!AcquireOperationMutex(IsUnattended(options) ? kUnattendedWaitMs : 0)) {
    ReportAnotherSetupWorking();
    return;
  }
  BringToFront();
  g_flags.wasInstalled = false;
  DecideFlags(kind, DetectInstallState());

  if (!ConfirmOperation(kind == kOperationUninstall, IsUnattended(options), options.autoUpdate)) {
    MainState().requestPending = false;
    ReportDeclined(kind);
    return;
  }
  if (kind == kOperationInstall) {
    g_flags.wasInstalled = IsProductInstalled();
    WriteSetupLock();  // the operation goes on without it
  }
  BringToFront();
  // A message of its own, so the start runs after the question has closed.
  if (!::PostMessageW(window, WM_APP_START_OPERATION, static_cast<WPARAM>(kind), 0)) StartOperation(kind);
}

namespace {

bool LaunchWorker(OperationKind kind, unsigned long* startError) {
  // The worker owns the request once the thread exists.
  auto request = std::make_unique<WorkerRequest>();
  request->kind = kind;
  request->update = kind == kOperationInstall && g_flags.wasInstalled;
  request->deliver = PostOperationResult;
  // A deployment installs the version it carries, which its detection rule
  // expects, and never an older one than is there unless told to.
  const LaunchOptions& options = CurrentLaunchOptions();
  request->carriedFirst = IsUnattended(options);
  request->refuseOlder = kind == kOperationInstall && IsUnattended(options) && !options.allowDowngrade;
  // An automatic update keeps the languages it finds, but an install must end
  // with Japanese there: without it, the script is told to add it.
  const bool withLanguage = kind == kOperationUninstall ? g_flags.partialUninstall
                                                        : !options.autoUpdate || !DetectInstallState().targetInstalled;
  if (withLanguage) request->scriptArguments = LanguageArgument();
  g_workerThread.reset(g_startWorker(request.get()));
  if (!g_workerThread) {
    *startError = ::GetLastError();
    return false;
  }
  request.release();
  return true;
}

}  // namespace

void StartOperation(OperationKind kind) {
  if (MainState().busy) return;
  BringToFront();
  MainState().currentOperationKind = kind;
  ClearDownloadCancel();
  ClearLog();
  SetBusy(true);
  // Busy is set: whatever fails from here (memory included) must lead back to
  // idle, or the window could never be closed.
  bool started = false;
  unsigned long startError = 0;
  try {
    ResetProgressForStart();
    AnnounceStart(kind);
    started = LaunchWorker(kind, &startError);
  } catch (...) {
    started = false;
  }
  if (!started) ReportStartFailure(kind, startError);
}

void SetWorkerStarter(WorkerStarter starter) { g_startWorker = starter != nullptr ? starter : StartWorkerThread; }

void SetDownloadCancellable(bool downloading) {
  MainWindowState& state = MainState();
  state.downloading = downloading && state.busy;
  if (!state.downloading) SetProgressMarquee(false);
  if (state.controls.close == nullptr) return;
  ::SetWindowTextW(state.controls.close, state.downloading ? L"다운로드 취소(&C)" : L"닫기(&C)");
  const bool enabled = state.downloading || !state.busy;
  if (!enabled) MoveFocusOffControls(state.dialog, {state.controls.close});
  ::EnableWindow(state.controls.close, enabled ? TRUE : FALSE);
  ::InvalidateRect(state.controls.close, nullptr, FALSE);
  UpdateDefaultButton();
}

void CancelDownload() {
  if (!MainState().downloading) return;
  RequestDownloadCancel();
  SetStatusText(L"다운로드를 멈추는 중입니다...");
}
