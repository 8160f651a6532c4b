#include "base/working_root.h"

#include "base/file_helpers.h"
#include "base/folder_removal.h"
#include "base/folder_security.h"
#include "base/folder_takeback.h"
#include "base/path_helpers.h"
#include "base/product_paths.h"
#include "base/win_handle.h"

namespace {

bool IsTrustedFolder(const std::wstring& folder, const FolderJudge& trusted) {
  const UniqueHandle held = OpenRealFolder(folder, READ_CONTROL);
  return held && trusted(held.get());
}

bool MakeAdminOnlyFolder(const std::wstring& folder) {
  UniqueLocalMemory descriptor = AdminOnlyFolderDescriptor();
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.get(), FALSE};
  return descriptor && ::CreateDirectoryW(folder.c_str(), &attributes);
}

bool IsWorkingRootTrusted(HANDLE root) {
  if (HasAdminOnlySecurity(root)) return true;
  // Asked once: whether the volume keeps owners does not change while we run.
  static const bool ownersKept = FolderOwnersAreKept(ProgramDataFolder());
  return !ownersKept;
}

}  // namespace

std::wstring WorkingRootPath() {
  const std::wstring programData = ProgramDataFolder();
  return programData.empty() ? std::wstring() : JoinPath(programData, kSetupFolderName);
}

std::wstring WorkingPath(const std::wstring& name) {
  const std::wstring root = WorkingRootPath();
  return root.empty() ? std::wstring() : JoinPath(root, name);
}

bool IsInsideWorkingRoot(const std::wstring& path) {
  const std::wstring root = WorkingRootPath();
  if (root.empty() || path.size() <= root.size() + 1 || path[root.size()] != L'\\' ||
      !SamePathText(path.substr(0, root.size()), root)) {
    return false;
  }
  const std::wstring below = path.substr(root.size()) + L'\\';
  return below.find(L"\\..\\") == std::wstring::npos && below.find(L'/') == std::wstring::npos;
}

bool PrepareTrustedFolder(const std::wstring& folder, const FolderJudge& trusted) {
  if (folder.empty()) return false;
  if (IsTrustedFolder(folder, trusted)) return true;
  // A folder somebody else made may shut the administrators out: take it back.
  if (!(RemoveFolderTree(folder) || TakeBackAndRemoveFolder(folder)) || !MakeAdminOnlyFolder(folder)) return false;
  return IsTrustedFolder(folder, trusted);
}

bool EnsureWorkingFolder(const std::wstring& folder) {
  if (!IsInsideWorkingRoot(folder) && !SamePathText(folder, WorkingRootPath())) return false;
  return PrepareTrustedFolder(WorkingRootPath(), IsWorkingRootTrusted) && EnsureFolder(folder);
}
