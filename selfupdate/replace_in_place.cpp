#include "selfupdate/replace_in_place.h"

#include <windows.h>

#include "base/path_helpers.h"
#include "selfupdate/file_retry.h"
#include "selfupdate/replace_log.h"

namespace {

bool CopyOnto(const std::wstring& source, const std::wstring& target, int attempts, DWORD* lastError = nullptr) {
  return RetryFileStep(attempts, [&] {
    if (::CopyFileW(source.c_str(), target.c_str(), FALSE)) return true;
    if (lastError) *lastError = ::GetLastError();
    return false;
  });
}

// Deleting a file that is already gone counts as done.
bool DeleteOrGone(const std::wstring& path, int attempts) {
  return RetryFileStep(
      attempts, [&] { return ::DeleteFileW(path.c_str()) != FALSE || ::GetLastError() == ERROR_FILE_NOT_FOUND; });
}

bool MoveReplacing(const std::wstring& from, const std::wstring& to, int attempts, DWORD* lastError) {
  return RetryFileStep(attempts, [&] {
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) return true;
    *lastError = ::GetLastError();
    return false;
  });
}

bool ReplaceUnderSameName(const std::wstring& source, const std::wstring& destination) {
  const std::wstring fresh = destination + L".new";
  ::DeleteFileW(fresh.c_str());
  if (!CopyOnto(source, fresh, 50)) {
    AppendReplaceLog(L"[in-place] copy to .new failed");
    return false;
  }
  DWORD lastError = 0;
  if (!MoveReplacing(fresh, destination, 80, &lastError)) {
    AppendReplaceLog(L"[in-place] move .new -> dest failed err=" + std::to_wstring(lastError));
    if (!CopyOnto(source, destination, 50)) return false;
  }
  AppendReplaceLog(L"[in-place] same-name replace ok");
  return true;
}

// The new file is written first, so an old file that cannot be removed only
// leaves a stale copy behind.
bool ReplaceUnderNewName(const std::wstring& source, const std::wstring& oldPath, const std::wstring& destination) {
  DWORD lastError = 0;
  if (!CopyOnto(source, destination, 50, &lastError)) {
    AppendReplaceLog(L"[in-place] copy dest failed err=" + std::to_wstring(lastError));
    return false;
  }
  if (!DeleteOrGone(oldPath, 80)) {
    const std::wstring aside = oldPath + L".old";
    ::DeleteFileW(aside.c_str());
    if (MoveReplacing(oldPath, aside, 40, &lastError)) {
      DeleteOrGone(aside, 20);
    } else {
      AppendReplaceLog(L"[in-place] dest written; old still locked");
    }
  }
  AppendReplaceLog(L"[in-place] rename replace ok");
  return true;
}

}  // namespace

bool ReplaceInPlace(const std::wstring& source, const std::wstring& oldPath, const std::wstring& destination) {
  AppendReplaceLog(L"[in-place] src=" + source);
  AppendReplaceLog(L"[in-place] old=" + oldPath);
  AppendReplaceLog(L"[in-place] dest=" + destination);
  if (SamePathText(oldPath, destination)) return ReplaceUnderSameName(source, destination);
  return ReplaceUnderNewName(source, oldPath, destination);
}
