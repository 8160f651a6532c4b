// The end of one operation on the window thread: texts, the installed copy
// and the uninstall entry, the closing message and the exit code.
#include <windows.h>

#include <string>
#include <utility>

#include "app/operation_lifecycle.h"
#include "app/operation_state.h"
#include "app/window_setters.h"
#include "base/exit_codes.h"
#include "base/installed_version.h"
#include "base/language_table.h"
#include "base/own_image.h"
#include "base/product_paths.h"
#include "base/user_messages.h"
#include "ops/install_state.h"
#include "ops/installed_copy_removal.h"
#include "ops/operation_mutex.h"
#include "ops/setup_lock.h"
#include "ops/uninstall_registration.h"
#include "package/package_validation.h"
#include "ui/main_window_state.h"
#include "ui/status_area.h"

namespace {

constexpr wchar_t kSeparatorLine[] = L"----------------------------------------";

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
  AppendLog(L"사용자가 다운로드를 취소했습니다.");
  if (kind == kOperationInstall) {
    DeleteSetupLock();
    CurrentOperationFlags().wasInstalled = false;
  }
}

// No usable package.
void CompleteWithoutPackage(OperationKind kind, const std::wstring& message) {
  SetStepText(L"실패");
  SetStatusText(L"패키지를 준비하지 못했습니다.");
  AppendLog(message);
  if (kind == kOperationInstall) {
    DeleteSetupLock();
    CurrentOperationFlags().wasInstalled = false;
  }
  SayWhenDone(message, MB_ICONERROR);
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

void Register(bool succeeded) {
  AppendLog(RegisterUninstallEntry(succeeded) ? std::wstring(L"제어판 프로그램 항목 등록: ") + kUninstallKey
                                              : L"제어판 프로그램 항목을 등록하지 못했습니다.");
}

void CompleteFailed(OperationKind kind, int result) {
  OperationFlags& flags = CurrentOperationFlags();
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
  // A script that got far may have left the keyboard there: then it can at
  // least be removed again, though its version is not taken as installed.
  if (DetectInstallState().targetInstalled) {
    PlaceInstalledCopy();
    Register(false);
  }
  DeleteSetupLock();
  SayWhenDone(flags.wasInstalled ? L"업데이트에 실패했습니다.\n아래 상세 로그를 확인한 뒤 다시 시도하세요."
                                 : L"설치에 실패했습니다.\n아래 상세 로그를 확인한 뒤 다시 시도하세요.",
              MB_ICONERROR);
  flags.wasInstalled = false;
}

void CompleteInstallSucceeded(const std::wstring& packageVersion) {
  OperationFlags& flags = CurrentOperationFlags();
  // Before the entry, whose version it gives.
  RecordInstalledPackageVersion(packageVersion);
  PlaceInstalledCopy();
  Register(true);
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
  if (CurrentOperationFlags().partialUninstall) {
    // The entry stays: the product remains with its other keyboards.
    SayWhenDone(L"Orlinth " + std::wstring(TargetLanguage().koreanName) + L" 키보드를 삭제했습니다.\n\n남은 키보드: " +
                    JoinLanguageNames(DetectInstallState().otherLanguages),
                MB_ICONINFORMATION);
    return;
  }
  ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY, 0);
  ForgetInstalledPackageVersion();
  ForgetStagedUninstallScripts();
  // Started from the list of programs, the installed copy is the one running:
  // it goes too, with its folder.
  if (RemoveRunningInstalledCopy()) AppendLog(L"설치 폴더의 Setup.exe 를 제거했습니다.");
  if (rebootPending) {
    SayWhenDone(L"Orlinth이 제거되었습니다.\n일부 파일은 재부팅 후 완전히 삭제됩니다.", MB_ICONWARNING);
  } else {
    SayWhenDone(L"Orlinth 삭제가 완료되었습니다.", MB_ICONINFORMATION);
  }
}

void CompleteSucceeded(OperationKind kind, bool rebootPending, const std::wstring& packageVersion) {
  const OperationFlags& flags = CurrentOperationFlags();
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
    CompleteInstallSucceeded(packageVersion);
  } else {
    CompleteUninstallSucceeded(rebootPending);
  }
}

// An install whose script ended 0 but left no Japanese keyboard failed.
bool JapaneseMissingAfter(const OperationResult& done) {
  if (done.kind != kOperationInstall || done.cancelled || !done.message.empty() || done.result != 0) return false;
  if (DetectInstallState().targetInstalled) return false;
  AppendLog(L"[오류] 설치 스크립트는 끝났지만 " + std::wstring(TargetLanguage().koreanName) +
            L" 키보드가 설치되어 있지 않습니다 (InstalledLanguages 또는 " + kProductDllName + L" 확인).");
  return true;
}

}  // namespace

int ExitCodeFor(const OperationResult& done, bool japaneseMissing) {
  if (done.cancelled) return kExitCancelled;
  if (!done.message.empty()) {
    switch (done.failure) {
      case PackageFailure::NoSource:
        return kExitNoPackageSource;
      case PackageFailure::RefusedByPolicy:
        return kExitRefusedByPolicy;
      case PackageFailure::NewerInstalled:
        return kExitNewerInstalled;
      case PackageFailure::DiskFull:
        return kExitDiskFull;
      case PackageFailure::Cancelled:
        return kExitCancelled;
      case PackageFailure::None:
      case PackageFailure::Other:
        break;
    }
    return kExitFailure;
  }
  if (japaneseMissing) return kExitFailure;
  if (done.result == 0) return kExitSuccess;
  if (done.kind == kOperationUninstall && done.result == kExitRebootRequired) return kExitRebootRequired;
  return kExitFailure;
}

void CompleteOperation(const OperationResult& done) {
  const OperationKind kind = done.kind;
  ForgetWorkerThread();
  SetBusy(false);
  SetDownloadCancellable(false);
  MainState().requestPending = false;
  const bool japaneseMissing = JapaneseMissingAfter(done);
  MainState().finishedExitCode = ExitCodeFor(done, japaneseMissing);
  if (done.cancelled) {
    CompleteCancelled(kind);
  } else if (!done.message.empty()) {
    CompleteWithoutPackage(kind, done.message);
  } else if (japaneseMissing) {
    CompleteFailed(kind, done.result);
  } else if (*MainState().finishedExitCode != kExitSuccess && *MainState().finishedExitCode != kExitRebootRequired) {
    CompleteFailed(kind, done.result);
  } else {
    CompleteSucceeded(kind, done.result == kExitRebootRequired, done.packageVersion);
  }
  OperationFlags& flags = CurrentOperationFlags();
  flags.addLanguage = false;
  flags.partialUninstall = false;
  // Only now: the lock file is gone and the entry written or removed.
  ReleaseOperationMutex();
  ShowClosingMessage();
  RefreshStatus();
  // Idle again, but the line says what just happened: no box said it.
  if (done.cancelled) SetStatusText(L"다운로드를 취소했습니다. 다시 시작하면 받던 곳부터 이어서 받습니다.");
}
