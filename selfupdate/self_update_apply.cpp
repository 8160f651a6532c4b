// The new Setup's half of a self-update: wait for the old one, keep a local
// copy, start that copy, and put the new file where the old one was.
#include <windows.h>

#include "base/failure.h"
#include "base/file_helpers.h"
#include "base/own_image.h"
#include "base/path_helpers.h"
#include "base/setup_file_name.h"
#include "base/setup_version.h"
#include "base/version_compare.h"
#include "base/win_handle.h"
#include "base/working_root.h"
#include "ops/uninstall_registration.h"
#include "package/package_resolution.h"
#include "selfupdate/file_retry.h"
#include "selfupdate/handoff_arguments.h"
#include "selfupdate/replace_log.h"
#include "selfupdate/self_update.h"
#include "selfupdate/setup_launch.h"
#include "selfupdate/update_locations.h"
#include "selfupdate/user_copy_placement.h"

namespace {

void WaitForOldProcess(std::uint32_t processId) {
  if (processId != 0) {
    UniqueHandle old(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (old) ::WaitForSingleObject(old.get(), 30000);
  }
  ::Sleep(500);
}

// Where the new Setup goes: beside the old one, under the new version's name
// when the old name carried a version.
std::wstring ReplacementDestination(const std::wstring& oldPath, const std::wstring& nameVersion) {
  const std::wstring oldName = FileNameOfPath(oldPath);
  const std::wstring newName = HasVersionedSetupName(oldName) ? VersionedSetupName(nameVersion) : oldName;
  return JoinPath(FolderOfPath(oldPath), newName);
}

// How long the applying process, once the new Setup runs, goes on trying to
// put it where the user started the old one.
constexpr DWORD kUserCopyBudgetMs = 10000;

// The user's own copy is refreshed where that is safe; the update never
// depends on it, since the new Setup runs from the working root.
void RefreshUserCopy(const std::wstring& oldPath, const std::wstring& destination) {
  if (PlaceUserCopy(OwnImage(), oldPath, destination, kUserCopyBudgetMs)) {
    AppendReplaceLog(L"[apply] in-place ok -> " + destination);
  } else {
    AppendReplaceLog(L"[apply] user-visible copy not placed; " + oldPath + L" is left as it was");
  }
}

}  // namespace

bool IsGenuineHandOff(const std::wstring& ownPath, const std::wstring& oldPath) {
  const std::wstring old = CleanHandOffPath(oldPath);
  const std::wstring downloaded = DownloadedSetupPath();
  return !downloaded.empty() && SamePathText(ownPath, downloaded) && IsSetupFileName(FileNameOfPath(old)) &&
         IsRegularFile(old);
}

bool ApplySelfUpdate(const std::wstring& updatePath, const std::wstring& updateVersion, std::uint32_t oldProcessId,
                     const std::wstring& relaunchParameters, std::wstring* message) {
  const std::wstring ownPath = OwnExecutablePath();
  if (ownPath.empty()) return FailWithMessage(message, L"현재 Setup 경로를 읽지 못했습니다.");
  const std::wstring oldPath = CleanHandOffPath(updatePath);
  AppendReplaceLog(L"[apply] self=" + ownPath);
  AppendReplaceLog(L"[apply] oldPath=" + oldPath);
  AppendReplaceLog(L"[apply] version=" + updateVersion + L" pid=" + std::to_wstring(oldProcessId));
  WaitForOldProcess(oldProcessId);

  // The version becomes a file name: anything but a plain token is not used.
  const std::wstring nameVersion = IsPlainVersionToken(updateVersion) ? updateVersion : std::wstring(kSetupVersion);
  const std::wstring localFolder = LocalSetupFolder();
  if (!EnsureWorkingFolder(localFolder)) {
    return FailWithMessage(message, L"로컬 Setup 폴더를 만들 수 없습니다:\n" + localFolder);
  }
  // Both copies come from this process's own file as held since start.
  const std::wstring localCopy = JoinPath(localFolder, VersionedSetupName(nameVersion));
  if (!RetryFileStep(50, [&] { return CopyHandleToFile(OwnImage(), localCopy); })) {
    return FailWithMessage(
        message, L"Setup 파일을 로컬에 저장하지 못했습니다.\n대상: " + localCopy + L"\n잠시 후 다시 시도해 주세요.");
  }
  std::wstring ignored;
  CopySetupToInstallFolder(OwnImage(), &ignored);

  const std::wstring relaunchArguments = BuildRelaunchArguments(relaunchParameters, ReleaseFolder());
  // The downloaded file is in use by this very process; the system removes it
  // later. Only ever a file of the working root: SYSTEM deletes it at boot.
  if (IsInsideWorkingRoot(ownPath)) ::MoveFileExW(ownPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);

  // Only the copy in the working root is started: a file in the user's folder
  // can be swapped by the user's programs at any moment.
  const bool started = StartSetupProgram(localCopy, relaunchArguments);
  AppendReplaceLog((started ? L"[apply] started " : L"[apply] start failed ") + localCopy);
  if (!oldPath.empty() && !SamePathText(oldPath, localCopy) && !SamePathText(oldPath, ownPath)) {
    RefreshUserCopy(oldPath, ReplacementDestination(oldPath, nameVersion));
  }
  if (!started) return FailWithMessage(message, L"업데이트된 Setup을 실행하지 못했습니다:\n" + localCopy);
  return true;
}
