#include "package/release_copy.h"

#include <windows.h>

#include "base/failure.h"
#include "base/file_helpers.h"
#include "base/folder_removal.h"
#include "base/path_helpers.h"
#include "base/win_handle.h"
#include "base/working_root.h"

namespace {

// Read through one handle that lets nobody write meanwhile; a directory of
// that name is no file and is skipped, like a missing one.
bool CopyIfFile(const std::wstring& source, const std::wstring& target, DWORD* error) {
  UniqueHandle from(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!from) {
    *error = ::GetLastError();
    return !IsRegularFile(source);
  }
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!::GetFileInformationByHandle(from.get(), &info)) {
    *error = ::GetLastError();
    return false;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
  return CopyHandleToFile(from.get(), target, error);
}

}  // namespace

std::wstring CopyReleasePackage(const std::wstring& release, std::wstring* errorText) {
  const std::wstring copy = WorkingPath(L"release-package");
  // Nothing of an earlier copy may stay behind to stand in for a missing file.
  if (copy.empty() || !EnsureWorkingFolder(FolderOfPath(copy)) || !RemoveFolderTree(copy) ||
      !EnsureWorkingFolder(copy)) {
    FailWithMessage(errorText, L"릴리스 폴더의 패키지를 복사할 폴더를 만들 수 없습니다.");
    return {};
  }
  for (const wchar_t* name : kReleasePackageFiles) {
    DWORD error = ERROR_SUCCESS;
    if (!CopyIfFile(JoinPath(release, name), JoinPath(copy, name), &error)) {
      FailWithCode(errorText, std::wstring(L"릴리스 폴더의 패키지를 복사하지 못했습니다: ") + name, error);
      return {};
    }
  }
  return copy;
}
