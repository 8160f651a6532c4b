#include "base/installed_version.h"

#include <windows.h>

#include "base/product_paths.h"
#include "base/version_compare.h"
#include "base/win_handle.h"

namespace {

constexpr wchar_t kPackageVersionValue[] = L"PackageVersion";

}  // namespace

std::wstring InstalledPackageVersion() {
  wchar_t value[80] = {};
  DWORD size = sizeof(value);
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, kProductRegistryKey, kPackageVersionValue,
                     RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, value, &size) != ERROR_SUCCESS) {
    return {};
  }
  const std::wstring version = value;
  return IsPlainVersionToken(version) ? version : std::wstring();
}

void RecordInstalledPackageVersion(const std::wstring& version) {
  if (!IsPlainVersionToken(version)) {
    ForgetInstalledPackageVersion();
    return;
  }
  UniqueRegKey key;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  const DWORD size = static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t));
  ::RegSetValueExW(key.get(), kPackageVersionValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()), size);
}

void ForgetInstalledPackageVersion() {
  UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductRegistryKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, key.put()) ==
      ERROR_SUCCESS) {
    ::RegDeleteValueW(key.get(), kPackageVersionValue);
  }
}
