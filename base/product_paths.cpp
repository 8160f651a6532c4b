#include "base/product_paths.h"

#include <windows.h>
#include <shlobj.h>

#include "base/path_helpers.h"

namespace {

std::wstring ProductFolderUnder(int folderId) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
  return JoinPath(folder, kProductFolderName);
}

}  // namespace

std::wstring InstallFolder() { return ProductFolderUnder(CSIDL_PROGRAM_FILES); }

std::wstring InstalledSetupPath() { return JoinPath(InstallFolder(), L"Setup.exe"); }

std::wstring ProductDataFolder() { return ProductFolderUnder(CSIDL_COMMON_APPDATA); }
