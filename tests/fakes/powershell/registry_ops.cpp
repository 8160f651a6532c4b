#include "fakes/powershell/registry_ops.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

#include "base/win_handle.h"
#include "fakes/powershell/script_errors.h"

namespace standin {
namespace {

constexpr REGSAM kView = KEY_WOW64_64KEY;

std::wstring KeyText(const std::wstring& subkey) { return L"HKLM:\\" + subkey; }

std::wstring MissingKey(const std::wstring& subkey) {
  return L"Cannot find path '" + KeyText(subkey) + L"' because it does not exist.";
}

std::wstring Failed(const wchar_t* what, const std::wstring& subkey, LSTATUS status) {
  return std::wstring(what) + L" '" + KeyText(subkey) + L"' (error " + std::to_wstring(status) + L").";
}

UniqueRegKey OpenKey(const std::wstring& subkey, REGSAM access) {
  UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, access | kView, key.put()) != ERROR_SUCCESS) {
    key.reset();
  }
  return key;
}

bool HasSubkeys(const std::wstring& subkey) {
  UniqueRegKey key = OpenKey(subkey, KEY_QUERY_VALUE);
  DWORD subkeys = 0;
  return key &&
         ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys > 0;
}

}  // namespace

bool IsProviderPath(const std::wstring& path) {
  const size_t colon = path.find(L':');
  if (colon == std::wstring::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    if (!std::iswalpha(path[i])) return false;
  }
  return true;
}

std::wstring MachineSubkey(const std::wstring& path) {
  if (path.size() < 6 || _wcsnicmp(path.c_str(), L"HKLM:\\", 6) != 0) {
    throw ScriptRuntimeError{L"The stand-in supports no registry or provider path but HKLM:\\...: '" + path + L"'."};
  }
  std::wstring subkey = path.substr(6);
  while (!subkey.empty() && subkey.back() == L'\\') subkey.pop_back();
  if (subkey.empty()) throw ScriptRuntimeError{L"The stand-in does not work on the hive itself: '" + path + L"'."};
  return subkey;
}

bool RegistryKeyExists(const std::wstring& subkey) { return static_cast<bool>(OpenKey(subkey, KEY_QUERY_VALUE)); }

std::wstring CreateRegistryKey(const std::wstring& subkey, bool replaceExisting) {
  if (RegistryKeyExists(subkey)) {
    if (!replaceExisting) return L"A key at '" + KeyText(subkey) + L"' already exists.";
    if (HasSubkeys(subkey)) return L"The key '" + KeyText(subkey) + L"' has subkeys and cannot be replaced.";
    const LSTATUS status = ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), kView, 0);
    if (status != ERROR_SUCCESS) return Failed(L"Cannot replace the key", subkey, status);
  }
  UniqueRegKey key;
  const LSTATUS status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, nullptr, 0, KEY_WRITE | kView,
                                           nullptr, key.put(), nullptr);
  return status == ERROR_SUCCESS ? std::wstring() : Failed(L"Cannot create the key", subkey, status);
}

std::wstring RemoveRegistryKey(const std::wstring& subkey, bool recurse) {
  if (!RegistryKeyExists(subkey)) return MissingKey(subkey);
  if (recurse) {
    UniqueRegKey key = OpenKey(subkey, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE);
    const LSTATUS status = key ? ::RegDeleteTreeW(key.get(), nullptr) : ERROR_ACCESS_DENIED;
    if (status != ERROR_SUCCESS) return Failed(L"Cannot remove the subkeys of", subkey, status);
  } else if (HasSubkeys(subkey)) {
    return L"The key '" + KeyText(subkey) + L"' has subkeys and -Recurse was not given.";
  }
  const LSTATUS status = ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), kView, 0);
  return status == ERROR_SUCCESS ? std::wstring() : Failed(L"Cannot remove the key", subkey, status);
}

std::wstring SetRegistryString(const std::wstring& subkey, const std::wstring& name, const std::wstring& value) {
  UniqueRegKey key;
  LSTATUS status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | kView, nullptr,
                                     key.put(), nullptr);
  if (status != ERROR_SUCCESS) return Failed(L"Cannot open the key", subkey, status);
  const DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  status = ::RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), size);
  return status == ERROR_SUCCESS ? std::wstring() : Failed(L"Cannot set a value in", subkey, status);
}

std::wstring RemoveRegistryValue(const std::wstring& subkey, const std::wstring& name) {
  UniqueRegKey key = OpenKey(subkey, KEY_SET_VALUE);
  if (!key) return MissingKey(subkey);
  const LSTATUS status = ::RegDeleteValueW(key.get(), name.c_str());
  if (status == ERROR_FILE_NOT_FOUND) return L"Property " + name + L" does not exist at path " + KeyText(subkey) + L".";
  return status == ERROR_SUCCESS ? std::wstring() : Failed(L"Cannot remove a value of", subkey, status);
}

std::wstring ReadRegistryString(const std::wstring& subkey, const std::wstring& name,
                                std::optional<std::wstring>& value) {
  value.reset();
  UniqueRegKey key = OpenKey(subkey, KEY_QUERY_VALUE);
  if (!key) return MissingKey(subkey);
  DWORD type = 0;
  DWORD size = 0;
  LSTATUS status = ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) {
    return L"Property " + name + L" does not exist at path " + KeyText(subkey) + L".";
  }
  if (status != ERROR_SUCCESS) return Failed(L"Cannot read a value of", subkey, status);
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    return L"The value " + name + L" at " + KeyText(subkey) + L" is not a string; the stand-in reads strings only.";
  }
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  status = ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
  if (status != ERROR_SUCCESS) return Failed(L"Cannot read a value of", subkey, status);
  text.resize(wcsnlen(text.c_str(), text.size()));
  if (type == REG_EXPAND_SZ) {
    const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    std::wstring expanded(needed, L'\0');
    if (needed > 0 && ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed) == needed) {
      expanded.resize(needed - 1);
      text = expanded;
    }
  }
  value = text;
  return {};
}

}  // namespace standin
