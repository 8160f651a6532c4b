#include "support/machine_paths.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "support/temp_folder.h"

namespace {

std::wstring ProgramData() {
  wchar_t folder[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return folder;
}

std::wstring ProductDataFolder() { return ProgramData() + L"\\Orlinth-Japanese"; }

}  // namespace

std::wstring ExpectedWorkingRoot() { return ProgramData() + L"\\Orlinth-Japanese-Setup"; }

std::wstring ExpectedSetupLockPath() { return ProductDataFolder() + L"\\setup.lock"; }

bool PlantSetupLock(unsigned long processId) {
  ::CreateDirectoryW(ProductDataFolder().c_str(), nullptr);
  return WriteFileBytes(ExpectedSetupLockPath(), std::to_string(processId) + "\n");
}
