// Puts the machine into the installation situations tests need: product DLL
// files, the text-service registration, the installed-languages value and the
// entry in the system's list of programs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "base/win_handle.h"

// The product's entry in the system's list of programs (HKLM, 64-bit view).
inline constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlinth-Japanese";

// Removes every trace of the product: files, registration, language list,
// uninstall entry and the data folder with the lock.
void ClearProductState();

// ...\Program Files[ (x86)]\Orlinth-Japanese\Orlinth-Japanese.dll
std::wstring ProductDllPath(bool x86Folder);
bool PlaceProductDll(bool x86Folder);

// The text service's server path (the key's default value, as given).
bool RegisterTextServiceServer(const std::wstring& path);

// InstalledLanguages under HKLM\SOFTWARE\Orlinth-Japanese (64-bit view).
bool SetInstalledLanguages(const std::wstring& value, DWORD type = REG_SZ);

// The entry opened for reading; empty when there is none.
UniqueRegKey OpenUninstallKey();
bool UninstallKeyExists();

struct RegistryValue {
  DWORD type = REG_NONE;
  DWORD size = 0;
  std::wstring text;  // of a REG_SZ
  DWORD number = 0;   // of a REG_DWORD
};
// One value of the entry; nothing when the entry or the value is missing.
std::optional<RegistryValue> ReadUninstallValue(const wchar_t* name);
// An entry with a publisher, as an earlier install leaves one; true when both are there.
bool PlantUninstallKey();

// Clears the product state when made and again when dropped.
class CleanProductState {
 public:
  CleanProductState() { ClearProductState(); }
  ~CleanProductState() { ClearProductState(); }
  CleanProductState(const CleanProductState&) = delete;
  CleanProductState& operator=(const CleanProductState&) = delete;
};
