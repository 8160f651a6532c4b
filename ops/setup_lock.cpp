#include "ops/setup_lock.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "app/win_handle.h"

namespace {

// The product folder under ProgramData, or empty when it cannot be found.
std::wstring ProductDataFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return {};
  }
  return std::wstring(folder) + L"\\Orlinth-Japanese";
}

}  // namespace

bool WriteSetupLock() {
  const std::wstring folder = ProductDataFolder();
  if (folder.empty()) return false;
  ::CreateDirectoryW(folder.c_str(), nullptr);  // an existing folder is fine

  UniqueHandle file(::CreateFileW((folder + L"\\setup.lock").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
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
  ::DeleteFileW((folder + L"\\setup.lock").c_str());
}
