#include "selfupdate/user_copy_placement.h"

#include <cstdio>

#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "base/win_handle.h"
#include "selfupdate/replace_log.h"

namespace {

constexpr DWORD kRetryPauseMs = 100;

enum class StepOutcome { Done, Held, Refused };

struct StepResult {
  StepOutcome outcome;
  DWORD error;
};

// Under a name nobody chose before, and created new: a link or folder planted
// under any fixed name is never met, let alone written through.
UniqueHandle CreateFreshFile(const std::wstring& destination) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    LARGE_INTEGER now = {};
    ::QueryPerformanceCounter(&now);
    wchar_t suffix[40] = {};
    std::swprintf(suffix, 40, L".%08lx%08lx.partial", ::GetCurrentProcessId(),
                  static_cast<unsigned long>(now.LowPart + attempt));
    const std::wstring path = destination + suffix;
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file || ::GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return UniqueHandle();
}

bool WriteImage(HANDLE image, HANDLE target) {
  LARGE_INTEGER size = {};
  return ::GetFileSizeEx(image, &size) && CopyFileRange(image, 0, static_cast<std::uint64_t>(size.QuadPart), target);
}

// Renames the new file over whatever plain file holds the name; a directory or
// link there is left alone.
StepResult PutInPlace(HANDLE fresh, const std::wstring& destination) {
  const DWORD present = ::GetFileAttributesW(destination.c_str());
  if (present != INVALID_FILE_ATTRIBUTES && !IsPlainFileAttributes(present))
    return {StepOutcome::Refused, ERROR_DIRECTORY};
  if (RenameThroughHandle(fresh, destination, true)) return {StepOutcome::Done, 0};
  return {StepOutcome::Held, ::GetLastError()};
}

// Deletes the old Setup through a handle of its own, never a link or a folder
// that took its name. Already gone counts as done.
StepResult RemoveOld(const std::wstring& oldPath) {
  const DWORD present = ::GetFileAttributesW(oldPath.c_str());
  if (present == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return {error == ERROR_FILE_NOT_FOUND ? StepOutcome::Done : StepOutcome::Held, error};
  }
  if (!IsPlainFileAttributes(present)) return {StepOutcome::Refused, ERROR_DIRECTORY};
  UniqueHandle old(::CreateFileW(oldPath.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!old) return {StepOutcome::Held, ::GetLastError()};
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!::GetFileInformationByHandleEx(old.get(), FileAttributeTagInfo, &tag, sizeof(tag)) ||
      !IsPlainFileAttributes(tag.FileAttributes)) {
    return {StepOutcome::Refused, ERROR_DIRECTORY};
  }
  if (DeleteThroughHandle(old.get())) return {StepOutcome::Done, 0};
  return {StepOutcome::Held, ::GetLastError()};
}

// Repeats a step while something holds its file, until the deadline.
template <typename Step>
StepResult RetryWhileHeld(ULONGLONG deadline, Step step) {
  for (;;) {
    const StepResult result = step();
    if (result.outcome != StepOutcome::Held || ::GetTickCount64() >= deadline) return result;
    ::Sleep(kRetryPauseMs);
  }
}

bool NotPlaced(const std::wstring& why, DWORD error) {
  AppendReplaceLog(L"[in-place] user-visible copy not placed (" + why + L") err=" + std::to_wstring(error));
  return false;
}

}  // namespace

bool PlaceUserCopy(HANDLE image, const std::wstring& oldPath, const std::wstring& destination, DWORD budgetMs) {
  AppendReplaceLog(L"[in-place] old=" + oldPath);
  AppendReplaceLog(L"[in-place] dest=" + destination);
  const ULONGLONG deadline = ::GetTickCount64() + budgetMs;
  // Held without delete sharing, so the folder cannot be swapped for a link
  // while its files are written and renamed.
  const UniqueHandle folder = OpenRealFolder(FolderOfPath(destination), FILE_LIST_DIRECTORY);
  if (!folder) return NotPlaced(L"folder is not a real directory", ::GetLastError());

  const UniqueHandle fresh = CreateFreshFile(destination);
  if (!fresh) return NotPlaced(L"new file not created", ::GetLastError());
  if (!WriteImage(image, fresh.get())) {
    const DWORD error = ::GetLastError();
    DeleteThroughHandle(fresh.get());
    return NotPlaced(L"new file not written", error);
  }
  const StepResult placed = RetryWhileHeld(deadline, [&] { return PutInPlace(fresh.get(), destination); });
  if (placed.outcome != StepOutcome::Done) {
    DeleteThroughHandle(fresh.get());
    return NotPlaced(L"target held or not a plain file", placed.error);
  }
  if (SamePathText(oldPath, destination)) {
    AppendReplaceLog(L"[in-place] same-name replace ok");
    return true;
  }
  const StepResult removed = RetryWhileHeld(deadline, [&] { return RemoveOld(oldPath); });
  if (removed.outcome != StepOutcome::Done) {
    AppendReplaceLog(L"[in-place] dest written; old not removed err=" + std::to_wstring(removed.error));
  }
  AppendReplaceLog(L"[in-place] rename replace ok");
  return true;
}
