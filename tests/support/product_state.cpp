#include "support/product_state.h"

#include <shlobj.h>

#include <cstring>

#include "base/win_handle.h"
#include "support/machine_paths.h"
#include "support/temp_folder.h"

namespace {

constexpr wchar_t kTextServiceKey[] = L"CLSID\\{7c1e9b52-4d3a-4f0e-9a61-2b8d5f3c0e47}";

}  // namespace

std::wstring ProductDllPath(bool x86Folder) { return ExpectedProductFolder(x86Folder) + L"\\Orlinth-Japanese.dll"; }

void ClearProductState() {
  RemoveTree(ExpectedProductFolder(false));
  RemoveTree(ExpectedProductFolder(true));
  ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kTextServiceKey);
  ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orlinth-Japanese", KEY_WOW64_64KEY, 0);
  ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY, 0);
  // The data folder: the lock and the installed manifest.
  const std::wstring lock = ExpectedSetupLockPath();
  RemoveTree(lock.substr(0, lock.rfind(L'\\')));
}

bool PlaceProductDll(bool x86Folder) {
  ::SHCreateDirectoryExW(nullptr, ExpectedProductFolder(x86Folder).c_str(), nullptr);
  return WriteFileBytes(ProductDllPath(x86Folder), "MZ stand-in");
}

bool RegisterTextServiceServer(const std::wstring& path) {
  UniqueRegKey key;
  const std::wstring server = std::wstring(kTextServiceKey) + L"\\InprocServer32";
  if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, server.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const DWORD size = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()), size) ==
         ERROR_SUCCESS;
}

bool SetInstalledLanguages(const std::wstring& value, DWORD type) {
  UniqueRegKey key;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orlinth-Japanese", 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key.get(), L"InstalledLanguages", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                          size) == ERROR_SUCCESS;
}

UniqueRegKey OpenUninstallKey() {
  UniqueRegKey key;
  ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, key.put());
  return key;
}

bool UninstallKeyExists() { return static_cast<bool>(OpenUninstallKey()); }

std::optional<RegistryValue> ReadUninstallValue(const wchar_t* name) {
  const UniqueRegKey key = OpenUninstallKey();
  if (!key) return std::nullopt;
  BYTE data[2048] = {};
  RegistryValue value;
  value.size = sizeof(data) - sizeof(wchar_t);  // room for a missing terminator
  if (::RegQueryValueExW(key.get(), name, nullptr, &value.type, data, &value.size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (value.type == REG_DWORD) std::memcpy(&value.number, data, sizeof(DWORD));
  if (value.type == REG_SZ) value.text = reinterpret_cast<const wchar_t*>(data);
  return value;
}

bool PlantUninstallKey() {
  UniqueRegKey key;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  constexpr wchar_t kPublisher[] = L"Orlinth";
  return ::RegSetValueExW(key.get(), L"Publisher", 0, REG_SZ, reinterpret_cast<const BYTE*>(kPublisher),
                          sizeof(kPublisher)) == ERROR_SUCCESS;
}
