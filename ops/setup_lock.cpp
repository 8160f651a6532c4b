#include "ops/setup_lock.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/path_helpers.h"
#include "app/win_handle.h"
#include "ops/product_paths.h"

bool WriteSetupLock() {
  const std::wstring folder = ProductDataFolder();
  if (folder.empty()) return false;
  ::CreateDirectoryW(folder.c_str(), nullptr);  // an existing folder is fine

  UniqueHandle file(::CreateFileW(JoinPath(folder, L"setup.lock").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  char text[16] = {};
  const int length = std::snprintf(text, sizeof(text), "%lu\n", ::GetCurrentProcessId());
  DWORD written = 0;
  return ::WriteFile(file.get(), text, static_cast<DWORD>(length), &written, nullptr) != FALSE;
}

void DeleteSetupLock() {
  const std::wstring folder = ProductDataFolder();
  if (folder.empty()) return;
  ::DeleteFileW(JoinPath(folder, L"setup.lock").c_str());
}
