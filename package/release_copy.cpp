#include "package/release_copy.h"

#include <windows.h>

#include <vector>

#include "base/failure.h"
#include "base/file_helpers.h"
#include "base/folder_removal.h"
#include "base/path_helpers.h"
#include "base/win_handle.h"
#include "base/working_root.h"
#include "net/release_signature.h"
#include "net/sha256_verify.h"
#include "package/signed_file_list.h"

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

// A listed file, reached through real folders only: each folder on the way is
// held, so nothing can be renamed into its place, and neither they nor the
// file may be a link. Empty with the error otherwise (ERROR_DIRECTORY: a link
// or something other than a plain file).
UniqueHandle OpenListedFile(const std::wstring& release, const std::wstring& relative, DWORD* error) {
  std::vector<UniqueHandle> held;
  std::wstring path = release;
  for (std::size_t start = 0;;) {
    const std::size_t end = relative.find(L'\\', start);
    path = JoinPath(path, relative.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos) return OpenPlainFileToRead(path, error);
    held.push_back(OpenRealFolder(path, FILE_LIST_DIRECTORY));
    if (!held.back()) {
      *error = ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? ERROR_PATH_NOT_FOUND : ERROR_DIRECTORY;
      return UniqueHandle();
    }
    start = end + 1;
  }
}

// Every listed file, read from the release folder and then checked where it
// now lies, in the working root, where nobody else can change it.
ReleaseCopyOutcome CopyListedFiles(const std::wstring& release, const std::wstring& copy, std::wstring* version,
                                   std::wstring* message) {
  FileList list;
  if (!ReadSignedFileList(release, BuiltInReleaseKeys(), &list, message)) return ReleaseCopyOutcome::Refused;
  for (const ListedFile& file : list.files) {
    const std::wstring target = JoinPath(copy, file.path);
    DWORD error = ERROR_SUCCESS;
    UniqueHandle source = OpenListedFile(release, file.path, &error);
    if (!source && (error == ERROR_DIRECTORY || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
      FailWithMessage(
          message,
          (error == ERROR_DIRECTORY ? L"링크이거나 일반 파일이 아닌 항목: " : L"파일 목록과 다른 파일: ") + file.path);
      return ReleaseCopyOutcome::Refused;
    }
    if (!source || !EnsureFolder(FolderOfPath(target)) || !CopyHandleToFile(source.get(), target, &error)) {
      FailWithCode(message, L"릴리스 폴더의 패키지를 복사하지 못했습니다: " + file.path, error);
      return ReleaseCopyOutcome::Failed;
    }
    std::wstring digest;
    if (!HashFileSha256(target, &digest, nullptr) || digest != file.sha256) {
      FailWithMessage(message, L"파일 목록과 다른 파일: " + file.path);
      return ReleaseCopyOutcome::Refused;
    }
  }
  *version = list.version;
  return ReleaseCopyOutcome::Copied;
}

ReleaseCopyOutcome CopyNamedFiles(const std::wstring& release, const std::wstring& copy, std::wstring* message) {
  for (const wchar_t* name : kReleasePackageFiles) {
    DWORD error = ERROR_SUCCESS;
    if (!CopyIfFile(JoinPath(release, name), JoinPath(copy, name), &error)) {
      FailWithCode(message, std::wstring(L"릴리스 폴더의 패키지를 복사하지 못했습니다: ") + name, error);
      return ReleaseCopyOutcome::Failed;
    }
  }
  return ReleaseCopyOutcome::Copied;
}

}  // namespace

ReleaseCopyOutcome CopyReleasePackage(const std::wstring& release, std::wstring* copy, std::wstring* signedVersion,
                                      std::wstring* message) {
  const std::wstring folder = WorkingPath(L"release-package");
  // Nothing of an earlier copy may stay behind to stand in for a missing file.
  if (folder.empty() || !EnsureWorkingFolder(FolderOfPath(folder)) || !RemoveFolderTree(folder) ||
      !EnsureWorkingFolder(folder)) {
    FailWithMessage(message, L"릴리스 폴더의 패키지를 복사할 폴더를 만들 수 없습니다.");
    return ReleaseCopyOutcome::Failed;
  }
  const ReleaseCopyOutcome outcome = IsKeyedBuild() ? CopyListedFiles(release, folder, signedVersion, message)
                                                    : CopyNamedFiles(release, folder, message);
  // A refused copy is never used, so none of it stays either.
  if (outcome == ReleaseCopyOutcome::Refused) RemoveFolderTree(folder);
  if (outcome == ReleaseCopyOutcome::Copied) *copy = folder;
  return outcome;
}
