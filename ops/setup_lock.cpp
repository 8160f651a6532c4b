#include "ops/setup_lock.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "base/product_paths.h"
#include "base/win_handle.h"

namespace {

// Any user may have made the data folder, and it may be a link: the lock goes
// only into a real folder, held open meanwhile so it cannot be swapped.
UniqueHandle HoldDataFolder(const std::wstring& folder) { return OpenRealFolder(folder, 0); }

// The entry itself, whatever it is: a link is removed as a link.
void DeleteLockEntry(const std::wstring& lock) {
  UniqueHandle entry(::CreateFileW(lock.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (entry) DeleteThroughHandle(entry.get());
}

}  // namespace

bool WriteSetupLock() {
  const std::wstring folder = ProductDataFolder();
  if (folder.empty()) return false;
  ::CreateDirectoryW(folder.c_str(), nullptr);  // an existing folder is fine
  const UniqueHandle held = HoldDataFolder(folder);
  if (!held) return false;

  // A fresh file, never one written through whatever had the name before.
  const std::wstring lock = JoinPath(folder, L"setup.lock");
  DeleteLockEntry(lock);
  UniqueHandle file(::CreateFileW(lock.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return false;
  char text[16] = {};
  const int length = std::snprintf(text, sizeof(text), "%lu\n", ::GetCurrentProcessId());
  DWORD written = 0;
  return ::WriteFile(file.get(), text, static_cast<DWORD>(length), &written, nullptr) != FALSE;
}

void DeleteSetupLock() {
  const std::wstring folder = ProductDataFolder();
  if (folder.empty()) return;
  const UniqueHandle held = HoldDataFolder(folder);
  if (held) DeleteLockEntry(JoinPath(folder, L"setup.lock"));
}
