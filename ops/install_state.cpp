#include "ops/install_state.h"

#include <windows.h>
#include <shlobj.h>

#include <cwctype>

#include "base/language_table.h"
#include "base/path_helpers.h"
#include "base/product_paths.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"

namespace {

bool ProductDllIn(int folderId) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, folderId, nullptr, 0, folder))) return false;
  return IsRegularFile(JoinPath(JoinPath(folder, kProductFolderName), kProductDllName));
}

// The text service's server path, taken literally: no expansion, no quote
// removal, so only a plain path to an existing file counts.
bool RegisteredServerExists() {
  UniqueRegKey key;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, kTextServiceServerKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    return false;
  }
  wchar_t value[MAX_PATH + 1] = {};  // one spare unit keeps it terminated
  DWORD size = MAX_PATH * sizeof(wchar_t);
  const LSTATUS status =
      ::RegQueryValueExW(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  key.reset();
  return status == ERROR_SUCCESS && value[0] != L'\0' && IsRegularFile(value);
}

}  // namespace

bool IsProductInstalled() {
  return ProductDllIn(CSIDL_PROGRAM_FILES) || ProductDllIn(CSIDL_PROGRAM_FILESX86) || RegisteredServerExists();
}

std::vector<std::wstring> ParseInstalledLanguages(const wchar_t* text) {
  std::vector<std::wstring> codes;
  std::wstring item;
  for (const wchar_t* c = text;; ++c) {
    if (*c == L',' || *c == L'\0') {
      if (!item.empty()) codes.push_back(item);
      item.clear();
      if (*c == L'\0') break;
    } else if (*c != L' ') {
      item += static_cast<wchar_t>(std::towlower(*c));
    }
  }
  return codes;
}

std::vector<std::wstring> ReadInstalledLanguages() {
  wchar_t value[256] = {};
  DWORD size = sizeof(value);
  // Without RRF_NOEXPAND a REG_EXPAND_SZ value would be expanded and pass as
  // REG_SZ; only a plain string is the list.
  const LSTATUS status = ::RegGetValueW(HKEY_LOCAL_MACHINE, kProductRegistryKey, kInstalledLanguagesValue,
                                        RRF_RT_REG_SZ | RRF_NOEXPAND | RRF_SUBKEY_WOW6464KEY, nullptr, value, &size);
  if (status == ERROR_SUCCESS) return ParseInstalledLanguages(value);
  // Without a readable list, an installed product counts as the Japanese
  // keyboard alone.
  if (IsProductInstalled()) return {L"ja"};
  return {};
}

InstallState DetectInstallState() {
  InstallState state;
  state.installed = IsProductInstalled();
  if (!state.installed) return state;
  for (const std::wstring& code : ReadInstalledLanguages()) {
    if (EqualsIgnoringCase(code, TargetLanguage().code)) {
      state.targetInstalled = true;
    } else {
      state.otherLanguages.push_back(code);
    }
  }
  return state;
}

InstallSituation SituationOf(const InstallState& state) {
  if (!state.installed) return InstallSituation::NotInstalled;
  if (!state.targetInstalled) return InstallSituation::OtherLanguagesOnly;
  return state.otherLanguages.empty() ? InstallSituation::TargetOnly : InstallSituation::TargetWithOthers;
}

std::wstring JoinLanguageNames(const std::vector<std::wstring>& codes) {
  std::wstring names;
  for (const std::wstring& code : codes) {
    std::wstring name = code;
    for (const LanguageEntry& row : LanguageTable()) {
      if (row.code[0] != L'\0' && EqualsIgnoringCase(code, row.code)) {
        name = row.koreanName;
        break;
      }
    }
    if (!names.empty()) names += L", ";
    names += name;
  }
  return names;
}
