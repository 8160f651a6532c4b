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

}  // namespace

std::wstring ExpectedProductFolder(bool x86Folder) {
  wchar_t folder[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, x86Folder ? CSIDL_PROGRAM_FILESX86 : CSIDL_PROGRAM_FILES, nullptr, 0, folder);
  return std::wstring(folder) + L"\\Orlinth-Japanese";
}

std::wstring ExpectedProductDataFolder() { return ProgramData() + L"\\Orlinth-Japanese"; }

std::wstring ExpectedWorkingRoot() { return ProgramData() + L"\\Orlinth-Japanese-Setup"; }

std::wstring ExpectedPackageArchive(const std::wstring& version) {
  return ExpectedWorkingRoot() + L"\\package-download\\" + version + L".zip";
}

bool AnyOfTheDownloadLeft(const std::wstring& version) {
  const std::wstring archive = ExpectedPackageArchive(version);
  for (const std::wstring& path : {archive, archive + L".partial", archive + L".partial.info"}) {
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  }
  return false;
}

std::wstring ExpectedSetupLockPath() { return ExpectedProductDataFolder() + L"\\setup.lock"; }

bool PlantSetupLock(unsigned long processId) {
  ::CreateDirectoryW(ExpectedProductDataFolder().c_str(), nullptr);
  return WriteFileBytes(ExpectedSetupLockPath(), std::to_string(processId) + "\n");
}
