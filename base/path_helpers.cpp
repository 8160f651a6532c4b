#include "base/path_helpers.h"

#include <windows.h>
#include <shlobj.h>

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  if (folder.back() == L'\\' || folder.back() == L'/') return folder + name;
  return folder + L'\\' + name;
}

bool HasDeviceOrStreamForm(const std::wstring& path) {
  if (path.find(L'/') != std::wstring::npos || StartsWithIgnoringCase(path, L"\\\\?\\") ||
      StartsWithIgnoringCase(path, L"\\\\.\\")) {
    return true;
  }
  const size_t colon = path.find(L':');
  return colon != std::wstring::npos && (colon != 1 || path.find(L':', 2) != std::wstring::npos);
}

bool IsPlainFullPath(const std::wstring& path) {
  if (HasDeviceOrStreamForm(path)) return false;
  const wchar_t letter = path.empty() ? L'\0' : static_cast<wchar_t>(path[0] | 0x20);
  const bool byDrive =
      letter >= L'a' && letter <= L'z' && path.size() >= 2 && path[1] == L':' && (path.size() == 2 || path[2] == L'\\');
  const bool byShare = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
  return byDrive || byShare;
}

bool IsRegularFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring FolderOfPath(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return {};
  return path.substr(0, separator);
}

std::wstring FileNameOfPath(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::wstring FolderOfModulePath(const wchar_t* path, unsigned long length) {
  // MAX_PATH means the path was cut off.
  if (length == 0 || length >= MAX_PATH) return {};
  return FolderOfPath(std::wstring(path, length));
}

std::wstring OwnExecutablePath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(path, length);
}

std::wstring GetSetupFolder() {
  wchar_t path[MAX_PATH] = {};
  return FolderOfModulePath(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
}

std::wstring ProgramDataFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
  return folder;
}

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length);
}
