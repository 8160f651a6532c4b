#include "selfupdate/user_copy_placement.h"

#include <cstdio>

#include "base/file_helpers.h"
#include "base/held_folder.h"
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
UniqueHandle CreateFreshFile(HANDLE folder, const std::wstring& name) {
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 8; ++attempt) {
    LARGE_INTEGER now = {};
    ::QueryPerformanceCounter(&now);
    wchar_t suffix[40] = {};
    std::swprintf(suffix, 40, L".%08lx%08lx.partial", ::GetCurrentProcessId(),
                  static_cast<unsigned long>(now.LowPart + attempt));
    UniqueHandle file = OpenInHeldFolder(folder, name + suffix, GENERIC_WRITE | DELETE, 0, true, &error);
    if (file || error != ERROR_FILE_EXISTS) {
      ::SetLastError(error);
      return file;
    }
  }
  ::SetLastError(error);
  return UniqueHandle();
}

bool WriteImage(HANDLE image, HANDLE target) {
  LARGE_INTEGER size = {};
  return ::GetFileSizeEx(image, &size) && CopyFileRange(image, 0, static_cast<std::uint64_t>(size.QuadPart), target);
}

// Renames the new file over whatever plain file holds the name; a directory or
// link there is left alone.
StepResult PutInPlace(HANDLE fresh, HANDLE folder, const std::wstring& name) {
  const DWORD present = ListedAttributes(folder, name);
  if (present != INVALID_FILE_ATTRIBUTES && !IsPlainFileAttributes(present))
    return {StepOutcome::Refused, ERROR_DIRECTORY};
  if (RenameIntoHeldFolder(fresh, folder, name, true)) return {StepOutcome::Done, 0};
  return {StepOutcome::Held, ::GetLastError()};
}

// Deletes the old Setup through a handle of its own, never a link or a folder
// that took its name. Already gone counts as done.
StepResult RemoveOld(HANDLE folder, const std::wstring& name) {
  const DWORD present = ListedAttributes(folder, name);
  if (present == INVALID_FILE_ATTRIBUTES) return {StepOutcome::Done, 0};
  if (!IsPlainFileAttributes(present)) return {StepOutcome::Refused, ERROR_DIRECTORY};
  DWORD error = ERROR_SUCCESS;
  const UniqueHandle old = OpenInHeldFolder(folder, name, DELETE | FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false, &error);
  if (!old) return {error == ERROR_FILE_NOT_FOUND ? StepOutcome::Done : StepOutcome::Held, error};
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

bool PlaceInHeldFolder(HANDLE image, HANDLE folder, const std::wstring& oldName, const std::wstring& newName,
                       DWORD budgetMs) {
  const ULONGLONG deadline = ::GetTickCount64() + budgetMs;
  const UniqueHandle fresh = CreateFreshFile(folder, newName);
  if (!fresh) return NotPlaced(L"new file not created", ::GetLastError());
  if (!WriteImage(image, fresh.get())) {
    const DWORD error = ::GetLastError();
    DeleteThroughHandle(fresh.get());
    return NotPlaced(L"new file not written", error);
  }
  const StepResult placed = RetryWhileHeld(deadline, [&] { return PutInPlace(fresh.get(), folder, newName); });
  if (placed.outcome != StepOutcome::Done) {
    DeleteThroughHandle(fresh.get());
    return NotPlaced(L"target held or not a plain file", placed.error);
  }
  if (SamePathText(oldName, newName)) {
    AppendReplaceLog(L"[in-place] same-name replace ok");
    return true;
  }
  const StepResult removed = RetryWhileHeld(deadline, [&] { return RemoveOld(folder, oldName); });
  if (removed.outcome != StepOutcome::Done) {
    AppendReplaceLog(L"[in-place] dest written; old not removed err=" + std::to_wstring(removed.error));
  }
  AppendReplaceLog(L"[in-place] rename replace ok");
  return true;
}

bool PlaceUserCopy(HANDLE image, const std::wstring& oldPath, const std::wstring& destination, DWORD budgetMs) {
  AppendReplaceLog(L"[in-place] old=" + oldPath);
  AppendReplaceLog(L"[in-place] dest=" + destination);
  if (!SamePathText(FolderOfPath(oldPath), FolderOfPath(destination))) {
    return NotPlaced(L"not in the same folder", ERROR_INVALID_PARAMETER);
  }
  // Held without delete sharing, so the folder cannot be swapped for a link
  // while its files are written and renamed; every step names its file
  // relative to this handle alone.
  const UniqueHandle folder = OpenRealFolder(FolderOfPath(destination), FILE_LIST_DIRECTORY | FILE_TRAVERSE);
  if (!folder) return NotPlaced(L"folder is not a real directory", ::GetLastError());
  return PlaceInHeldFolder(image, folder.get(), FileNameOfPath(oldPath), FileNameOfPath(destination), budgetMs);
}
