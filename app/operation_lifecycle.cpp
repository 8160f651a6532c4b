#include "app/operation_lifecycle.h"

#include <windows.h>

#include <memory>
#include <utility>

#include "app/launch_options.h"
#include "app/unattended_run.h"
#include "app/window_posting.h"
#include "app/window_setters.h"
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

constexpr wchar_t kSeparatorLine[] = L"----------------------------------------";
constexpr int kRebootPending = 3010;

// Held from the start until the completion (or the next start) closes it.
UniqueHandle g_workerThread;

HANDLE StartWorkerThread(WorkerRequest* request) { return ::CreateThread(nullptr, 0, WorkerMain, request, 0, nullptr); }

WorkerStarter g_startWorker = StartWorkerThread;

// What the current operation is, beyond its kind. Written by the request step
// before any worker exists; the worker gets what it needs in its request.
struct OperationFlags {
  bool wasInstalled = false;      // install kind: the product was there when asked
  bool addLanguage = false;       // install kind: adds the target to other languages
  bool partialUninstall = false;  // uninstall kind: removes only the target
};

OperationFlags g_flags;

// The exit codes deployment tools know: failure 1603, success with a restart
// needed 3010.
constexpr int kExitFailure = 1603;

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
  MainState().finishedExitCode = kExitAnotherSetupRunning;
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

// The closing message of the operation ending now. Shown only once the
// operation has let go of everything it held (the lock file, the mutex): a box
// can stay open for as long as nobody answers it, and another Setup must not
// wait for that.
struct ClosingMessage {
  std::wstring text;
  UINT icon = 0;
};
ClosingMessage g_closing;

void SayWhenDone(const std::wstring& text, UINT icon) { g_closing = {text, icon}; }

void ShowClosingMessage() {
  const ClosingMessage closing = std::exchange(g_closing, {});
  if (!closing.text.empty()) ShowMessage(closing.text, closing.icon);
}

// The download was stopped: nothing ran, and the bytes received stay for the
// next attempt.
void CompleteCancelled(OperationKind kind) {
  MainState().finishedExitCode = kExitFailure;
  AppendLog(L"사용자가 다운로드를 취소했습니다.");
  if (kind == kOperationInstall) {
    DeleteSetupLock();
    g_flags.wasInstalled = false;
  }
}

// No usable package.
void CompleteWithoutPackage(OperationKind kind, const std::wstring& message) {
  SetStepText(L"실패");
  SetStatusText(L"패키지를 준비하지 못했습니다.");
  AppendLog(message);
  if (kind == kOperationInstall) {
    DeleteSetupLock();
    g_flags.wasInstalled = false;
  }
  SayWhenDone(message, MB_ICONERROR);
}

void CompleteFailed(OperationKind kind, int result) {
  OperationFlags& flags = g_flags;
  SetStepText(L"실패");
  if (kind == kOperationUninstall) {
    SetStatusText(L"삭제에 실패했습니다. 로그를 확인하세요.");
  } else {
    SetStatusText(flags.wasInstalled ? L"업데이트에 실패했습니다. 로그를 확인하세요."
                                     : L"설치에 실패했습니다. 로그를 확인하세요.");
  }
  AppendLog(kSeparatorLine);
  AppendLog(L"==> 실패. 종료 코드: " + std::to_wstring(static_cast<unsigned long>(static_cast<DWORD>(result))));
  if (kind == kOperationUninstall) {
    SayWhenDone(L"삭제에 실패했습니다.\n아래 상세 로그를 확인한 뒤 다시 시도하세요.", MB_ICONERROR);
    return;
  }
  DeleteSetupLock();
  SayWhenDone(flags.wasInstalled ? L"업데이트에 실패했습니다.\n아래 상세 로그를 확인한 뒤 다시 시도하세요."
                                 : L"설치에 실패했습니다.\n아래 상세 로그를 확인한 뒤 다시 시도하세요.",
              MB_ICONERROR);
  flags.wasInstalled = false;
}

// The copy comes from Setup's own file as held since start, so it is the very
// file that was started and checked.
void PlaceInstalledCopy() {
  if (OwnImage() == nullptr) return;
  std::wstring warning;
  if (CopySetupToInstallFolder(OwnImage(), &warning)) {
    AppendLog(L"업데이트용 Setup 배치: " + InstalledSetupPath());
  } else if (!warning.empty()) {
    AppendLog(L"Setup 설치 폴더 복사 경고: " + warning);
  }
}

void CompleteInstallSucceeded() {
  OperationFlags& flags = g_flags;
  PlaceInstalledCopy();
  AppendLog(RegisterUninstallEntry() ? std::wstring(L"제어판 프로그램 항목 등록: ") + kUninstallKey
                                     : L"제어판 프로그램 항목을 등록하지 못했습니다.");
  const std::wstring korean = TargetLanguage().koreanName;
  if (flags.addLanguage) {
    SayWhenDone(L"Orlinth " + korean +
                    L" 키보드를 추가했습니다.\n\nWin+Space로 입력기를 바꿀 수 있습니다.\n메모장 / 브라우저 등을 다시 "
                    L"시작하면 적용됩니다.",
                MB_ICONINFORMATION);
  } else if (flags.wasInstalled) {
    SayWhenDone(L"Orlinth 업데이트가 완료되었습니다.\n\n메모장 / 브라우저 등을 다시 시작하면\n새 버전이 적용됩니다.",
                MB_ICONINFORMATION);
  } else {
    SayWhenDone(
        L"Orlinth 설치가 완료되었습니다.\n\n메모장 / 브라우저 등을 다시 시작하면\nOrlinth으로 입력할 수 있습니다.",
        MB_ICONINFORMATION);
  }
  DeleteSetupLock();
  flags.wasInstalled = false;
}

void CompleteUninstallSucceeded(bool rebootPending) {
  if (g_flags.partialUninstall) {
    // The entry stays: the product remains with its other keyboards.
    SayWhenDone(L"Orlinth " + std::wstring(TargetLanguage().koreanName) + L" 키보드를 삭제했습니다.\n\n남은 키보드: " +
                    JoinLanguageNames(DetectInstallState().otherLanguages),
                MB_ICONINFORMATION);
    return;
  }
  ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY, 0);
  ForgetInstalledPackageVersion();
  if (rebootPending) {
    SayWhenDone(L"Orlinth이 제거되었습니다.\n일부 파일은 재부팅 후 완전히 삭제됩니다.", MB_ICONWARNING);
  } else {
    SayWhenDone(L"Orlinth 삭제가 완료되었습니다.", MB_ICONINFORMATION);
  }
}

void CompleteSucceeded(OperationKind kind, bool rebootPending, const std::wstring& packageVersion) {
  const OperationFlags& flags = g_flags;
  CompleteProgress();
  if (kind == kOperationUninstall) {
    SetStepText(L"삭제 완료");
  } else {
    SetStepText(flags.addLanguage ? L"추가 완료" : (flags.wasInstalled ? L"업데이트 완료" : L"완료"));
  }
  if (rebootPending) {
    SetStatusText(L"삭제가 거의 끝났습니다. 재부팅하면 잠긴 파일이 정리됩니다.");
  } else if (kind == kOperationUninstall) {
    SetStatusText(L"삭제가 완료되었습니다.");
  } else {
    SetStatusText(flags.wasInstalled ? L"업데이트가 완료되었습니다." : L"설치가 완료되었습니다.");
  }
  AppendLog(kSeparatorLine);
  AppendLog(rebootPending ? L"==> 성공 (재부팅 후 파일 정리 완료)" : L"==> 성공");
  if (kind == kOperationInstall) {
    // Before the entry, whose version it gives.
    RecordInstalledPackageVersion(packageVersion);
    CompleteInstallSucceeded();
  } else {
    CompleteUninstallSucceeded(rebootPending);
  }
}

}  // namespace

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
  // A deployment installs the version it carries, which its detection rule expects.
  request->carriedFirst = IsUnattended(CurrentLaunchOptions());
  const bool withLanguage = kind == kOperationUninstall ? g_flags.partialUninstall : !CurrentLaunchOptions().autoUpdate;
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

void CompleteOperation(const OperationResult& done) {
  const OperationKind kind = done.kind;
  const int result = done.result;
  const std::wstring& message = done.message;
  const bool cancelled = done.cancelled;
  g_workerThread.reset();
  SetBusy(false);
  SetDownloadCancellable(false);
  MainState().requestPending = false;
  if (cancelled) {
    CompleteCancelled(kind);
  } else if (!message.empty()) {
    MainState().finishedExitCode = kExitFailure;
    CompleteWithoutPackage(kind, message);
  } else if (result != 0 && !(kind == kOperationUninstall && result == kRebootPending)) {
    MainState().finishedExitCode = kExitFailure;
    CompleteFailed(kind, result);
  } else {
    MainState().finishedExitCode = result == kRebootPending ? kRebootPending : 0;
    CompleteSucceeded(kind, result == kRebootPending, done.packageVersion);
  }
  g_flags.addLanguage = false;
  g_flags.partialUninstall = false;
  // Only now: the lock file is gone and the entry written or removed.
  ReleaseOperationMutex();
  ShowClosingMessage();
  RefreshStatus();
  // Idle again, but the line says what just happened: no box said it.
  if (cancelled) SetStatusText(L"다운로드를 취소했습니다. 다시 시작하면 받던 곳부터 이어서 받습니다.");
}
