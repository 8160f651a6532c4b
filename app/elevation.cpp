#include "app/elevation.h"

#include <windows.h>
#include <shellapi.h>

#include "app/launch_options.h"
#include "base/exit_codes.h"
#include "base/user_messages.h"
#include "base/win_handle.h"

bool IsRunningAsAdministrator() {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  UniqueSid administrators;
  if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, administrators.put())) {
    return false;
  }
  BOOL member = FALSE;
  if (!::CheckTokenMembership(nullptr, administrators.get(), &member)) return false;
  return member != FALSE;
}

ElevationStep DecideElevation(bool administrator, bool alreadyRelaunched) {
  if (administrator) return ElevationStep::GoOn;
  return alreadyRelaunched ? ElevationStep::GiveUp : ElevationStep::Relaunch;
}

int ReportElevationRefused() {
  ShowMessage(L"Orlinth 설치에는 관리자 권한이 필요합니다.\nUAC 창에서 [예]를 선택해 주세요.", MB_ICONERROR);
  return kExitElevationRefused;
}

int RelaunchElevated(const std::wstring& parameters) {
  wchar_t ownPath[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, ownPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return ReportElevationRefused();

  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = L"runas";
  info.lpFile = ownPath;
  const std::wstring marked =
      parameters.empty() ? kElevationRelaunchSwitch : parameters + L" " + kElevationRelaunchSwitch;
  info.lpParameters = marked.c_str();
  // The same current folder, against which a relative /log path is taken.
  wchar_t currentFolder[MAX_PATH] = {};
  const DWORD folderLength = ::GetCurrentDirectoryW(MAX_PATH, currentFolder);
  if (folderLength > 0 && folderLength < MAX_PATH) info.lpDirectory = currentFolder;
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info)) return ReportElevationRefused();

  UniqueHandle elevated(info.hProcess);
  if (!elevated) return 0;
  ::WaitForSingleObject(elevated.get(), INFINITE);
  DWORD exitCode = 0;
  if (!::GetExitCodeProcess(elevated.get(), &exitCode)) exitCode = 0;
  return static_cast<int>(exitCode);
}
