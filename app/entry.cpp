#include "app/entry.h"

#include <commctrl.h>
#include <objbase.h>

#include <optional>
#include <string>
#include <utility>

#include "app/elevation.h"
#include "app/launch_options.h"
#include "app/main_dialog.h"
#include "app/self_update_check.h"
#include "app/usage_text.h"
#include "base/exit_codes.h"
#include "base/own_image.h"
#include "base/path_helpers.h"
#include "base/run_log.h"
#include "base/system_library.h"
#include "base/user_messages.h"
#include "net/release_signature.h"
#include "ops/installed_copy_removal.h"
#include "package/package_resolution.h"
#include "res/resource_ids.h"
#include "selfupdate/self_update.h"

bool InitCommonControlClasses() {
  static const auto init = SystemFunction<decltype(&::InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
  if (init == nullptr) return false;
  INITCOMMONCONTROLSEX classes = {};
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
  return init(&classes) != FALSE;
}

namespace {

// Without a file of its own, a deployed run still leaves one behind; so does
// a run whose log path could not be used, and says why. False when the path
// given was refused.
bool OpenRunLogs(const LaunchOptions& options) {
  std::wstring reason;
  const bool logOpened = !options.logPath.empty() && OpenRunLog(options.logPath, &reason);
  if (!logOpened && (IsUnattended(options) || !options.logPath.empty()) && OpenRunLog(DefaultRunLogPath()) &&
      !options.logPath.empty()) {
    WriteRunLog(L"로그 파일을 만들 수 없어 기본 로그를 씁니다: " + options.logPath + L" (" + reason + L")");
  }
  return options.logPath.empty() || logOpened;
}

int EndRun(int exitCode) {
  WriteRunLog(L"종료 코드: " + std::to_wstring(exitCode));
  return exitCode;
}

// What the command line asks that is not an operation: the usage, or an
// unknown switch, contradiction or log path that cannot be followed. The exit
// code when the run ends here. A window ignores an unknown switch; a
// deployment stops at it, for it may have meant something Setup would not do.
std::optional<int> FollowCommandLine(const LaunchOptions& options, bool logAccepted) {
  const bool unattended = IsUnattended(options);
  for (const std::wstring& argument : options.unknownArguments) {
    WriteRunLog((unattended ? L"알 수 없는 인수: " : L"알 수 없는 인수를 무시합니다: ") + argument);
  }
  if (options.quietOverPassive) WriteRunLog(L"/quiet 와 /passive 가 함께 주어져 /quiet 로 실행합니다.");
  if (options.help) {
    ShowMessage(UsageText(), MB_ICONINFORMATION);
    return EndRun(kExitSuccess);
  }
  if (IsContradictory(options)) {
    ShowMessage(L"/uninstall 과 /update 는 함께 쓸 수 없습니다.\n둘 중 하나만 지정해 주세요.", MB_ICONERROR);
    return EndRun(kExitBadCommandLine);
  }
  if (unattended && !options.unknownArguments.empty()) return EndRun(kExitBadCommandLine);
  // A deployment that asked for a log must not run without it.
  if (unattended && !logAccepted) return EndRun(kExitBadCommandLine);
  return std::nullopt;
}

}  // namespace

int RunSetup(HINSTANCE instance, const wchar_t* commandTail) {
  RestrictDllSearchToSystem32();
  if (!IsKeyedBuild()) {
    SetRunLogBuildNote(
        L"이 Setup은 릴리스 키 없이 빌드되었습니다: 릴리스 서버의 응답과 릴리스 폴더를 서명 "
        L"확인 없이 신뢰합니다.");
  }
  // Held from the first moment, so the file that was started is the file
  // whose payload is read and which is copied into Program Files.
  HoldOwnImage();
  LaunchOptions launch = ReadLaunchOptions(::GetCommandLineW(), commandTail);
  // Anything but the update this Setup downloaded starts normally.
  if (!launch.applySelfUpdatePath.empty() && !IsGenuineHandOff(OwnExecutablePath(), launch.applySelfUpdatePath)) {
    DropHandOffSwitches(launch);
  }
  SetLaunchOptions(std::move(launch));
  const LaunchOptions& options = CurrentLaunchOptions();
  SetHandedOnReleaseFolder(options.releaseFolder);
  switch (DecideElevation(IsRunningAsAdministrator(), options.relaunchedForElevation)) {
    case ElevationStep::Relaunch:
      return RelaunchElevated(options.relaunchParameters);
    case ElevationStep::GiveUp:
      OpenRunLogs(options);
      return ReportElevationRefused();
    case ElevationStep::GoOn:
      break;
  }
  const bool logAccepted = OpenRunLogs(options);
  if (const std::optional<int> ended = FollowCommandLine(options, logAccepted)) return *ended;
  ClearMovedInstalledCopies();

  // A newer Setup started by an older one finishes the hand-over first.
  if (!options.applySelfUpdatePath.empty()) {
    std::wstring message;
    if (ApplySelfUpdate(options.applySelfUpdatePath, options.applySelfUpdateVersion, options.applySelfUpdatePid,
                        options.relaunchParameters, &message)) {
      return 0;
    }
    if (!message.empty()) {
      ShowMessage(message, MB_ICONERROR);
      return 1;
    }
  }

  // A deployment asks nothing, so nothing is offered either.
  EnableSelfUpdateCheck(!options.noSelfUpdate && !IsUnattended(options));
  InitCommonControlClasses();
  // The window's accessibility annotations are COM objects of the system.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const int result =
      static_cast<int>(::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0));
  WaitForSelfUpdateCheck();
  if (SUCCEEDED(com)) ::CoUninitialize();
  return result;
}
