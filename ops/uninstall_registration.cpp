#include "ops/uninstall_registration.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <utility>

#include "base/failure.h"
#include "base/file_helpers.h"
#include "base/installed_version.h"
#include "base/language_table.h"
#include "base/path_helpers.h"
#include "base/product_paths.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"
#include "build_config.h"

namespace {

void SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
  const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), size);
}

void SetNumber(HKEY key, const wchar_t* name, DWORD value) {
  ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

bool HasValue(HKEY key, const wchar_t* name) {
  return ::RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring Today() {
  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  wchar_t date[16] = {};
  std::swprintf(date, 16, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
  return date;
}

// What the files of the install folder take, in KB, as the list of programs
// shows it; links are not followed.
DWORD FolderKilobytes(const std::wstring& folder, int depth = 0) {
  std::uint64_t bytes = 0;
  WIN32_FIND_DATAW found = {};
  UniqueFindHandle listing(::FindFirstFileW(JoinPath(folder, L"*").c_str(), &found));
  for (bool more = static_cast<bool>(listing); more; more = ::FindNextFileW(listing.get(), &found) != FALSE) {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L".." || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if (depth < 8) bytes += static_cast<std::uint64_t>(FolderKilobytes(JoinPath(folder, name), depth + 1)) * 1024;
      continue;
    }
    bytes += (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  }
  return static_cast<DWORD>((bytes + 1023) / 1024);
}

}  // namespace

std::pair<DWORD, DWORD> MajorAndMinorOf(const std::wstring& version) {
  DWORD parts[2] = {0, 0};
  std::size_t at = 0;
  for (DWORD& part : parts) {
    std::size_t end = at;
    while (end < version.size() && version[end] >= L'0' && version[end] <= L'9') ++end;
    if (end == at || end - at > 9) break;
    part = static_cast<DWORD>(std::stoul(version.substr(at, end - at)));
    if (end >= version.size() || version[end] != L'.') break;
    at = end + 1;
  }
  return {parts[0], parts[1]};
}

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

bool RegisterUninstallEntry(bool succeeded) {
  UniqueRegKey key;
  const LSTATUS created = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            KEY_WRITE | KEY_WOW64_64KEY, nullptr, key.put(), nullptr);
  if (created != ERROR_SUCCESS) return FailWithCode(nullptr, L"제어판 프로그램 항목 등록", created);
  const std::wstring setupPath = InstalledSetupPath();
  const std::wstring installLocation = FolderOfPath(setupPath);
  SetString(key.get(), L"DisplayName", std::wstring(L"Orlinth ") + TargetLanguage().koreanName);
  // The version only of what a successful install left: the files of a
  // failed one may be anything.
  const std::wstring version = InstalledPackageVersion();
  if (succeeded) {
    SetString(key.get(), L"DisplayVersion", version);
    const auto [major, minor] = MajorAndMinorOf(version);
    SetNumber(key.get(), L"VersionMajor", major);
    SetNumber(key.get(), L"VersionMinor", minor);
  }
  SetString(key.get(), L"Publisher", L"Orlinth");
  SetString(key.get(), L"DisplayIcon", setupPath);
  SetString(key.get(), L"UninstallString", L"\"" + setupPath + L"\"");
  // For package managers that remove programs without a window.
  SetString(key.get(), L"QuietUninstallString", L"\"" + setupPath + L"\" /quiet /uninstall");
  if (!installLocation.empty()) SetString(key.get(), L"InstallLocation", installLocation);
  SetNumber(key.get(), L"NoModify", 1);
  SetNumber(key.get(), L"NoRepair", 1);
  SetNumber(key.get(), L"EstimatedSize", FolderKilobytes(InstallFolder()));
  // The day of the first install stays through every update.
  if (!HasValue(key.get(), L"InstallDate")) SetString(key.get(), L"InstallDate", Today());
  SetString(key.get(), L"URLInfoAbout", kProductAboutUrl);
  SetString(key.get(), L"HelpLink", kProductHelpUrl);
  return true;
}
