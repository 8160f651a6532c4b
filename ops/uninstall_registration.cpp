#include "ops/uninstall_registration.h"

#include <windows.h>

#include "base/failure.h"
#include "base/file_helpers.h"
#include "base/installed_version.h"
#include "base/language_table.h"
#include "base/path_helpers.h"
#include "base/product_paths.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"

namespace {

void SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
  const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), size);
}

void SetNumber(HKEY key, const wchar_t* name, DWORD value) {
  ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

}  // namespace

bool CopySetupToInstallFolder(HANDLE source, std::wstring* message) {
  const std::wstring folder = InstallFolder();
  if (!EnsureFolder(folder)) {
    return FailWithMessage(message,
                           std::wstring(L"Program Files\\") + kProductFolderName + L" 폴더를 만들 수 없습니다.");
  }
  DWORD openError = ERROR_SUCCESS;
  if (source != nullptr && CopyHandleToFile(source, JoinPath(folder, L"Setup.exe"), &openError)) return true;
  // The running installed copy holds its own file: it is already in place.
  if (openError == ERROR_SHARING_VIOLATION) return true;
  return FailWithCode(message, L"Setup.exe 를 설치 폴더에 복사하지 못했습니다.", openError);
}

bool RegisterUninstallEntry() {
  UniqueRegKey key;
  const LSTATUS created = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            KEY_WRITE | KEY_WOW64_64KEY, nullptr, key.put(), nullptr);
  if (created != ERROR_SUCCESS) return FailWithCode(nullptr, L"제어판 프로그램 항목 등록", created);
  const std::wstring setupPath = InstalledSetupPath();
  const std::wstring installLocation = FolderOfPath(setupPath);
  SetString(key.get(), L"DisplayName", std::wstring(L"Orlinth ") + TargetLanguage().koreanName);
  SetString(key.get(), L"DisplayVersion", InstalledPackageVersion());
  SetString(key.get(), L"Publisher", L"Orlinth");
  SetString(key.get(), L"DisplayIcon", setupPath);
  SetString(key.get(), L"UninstallString", L"\"" + setupPath + L"\"");
  // For package managers that remove programs without a window.
  SetString(key.get(), L"QuietUninstallString", L"\"" + setupPath + L"\" /quiet /uninstall");
  if (!installLocation.empty()) SetString(key.get(), L"InstallLocation", installLocation);
  SetNumber(key.get(), L"NoModify", 1);
  SetNumber(key.get(), L"NoRepair", 1);
  return true;
}
