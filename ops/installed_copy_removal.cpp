#include "ops/installed_copy_removal.h"

#include <windows.h>

#include <string>

#include "base/file_helpers.h"
#include "base/folder_removal.h"
#include "base/own_image.h"
#include "base/path_helpers.h"
#include "base/product_paths.h"
#include "base/working_root.h"

namespace {

constexpr wchar_t kMovedFolderName[] = L"removed-setup";

}  // namespace

bool RemoveRunningInstalledCopy() {
  const std::wstring own = OwnExecutablePath();
  const std::wstring installed = InstalledSetupPath();
  if (own.empty() || !SamePathText(own, installed)) return false;
  const std::wstring moved = WorkingPath(kMovedFolderName);
  if (moved.empty() || !EnsureWorkingFolder(moved)) return false;
  const std::wstring target = JoinPath(moved, L"Setup-" + std::to_wstring(::GetCurrentProcessId()) + L".exe");
  // A running program may be renamed, though not deleted; only Setup's own
  // hold on its file stands in the way, and nothing reads it any more.
  ReleaseOwnImage();
  if (!::MoveFileExW(own.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
  ::MoveFileExW(target.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  // A process's current folder cannot be removed, and the uninstall entry's
  // command may well have started in the install folder.
  ::SetCurrentDirectoryW(moved.c_str());
  ::RemoveDirectoryW(InstallFolder().c_str());
  return true;
}

void ClearMovedInstalledCopies() {
  const std::wstring moved = WorkingPath(kMovedFolderName);
  if (!moved.empty() && IsDirectory(moved)) RemoveFolderTree(moved);
}
