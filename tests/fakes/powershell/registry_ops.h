// Registry operations behind the script cmdlets, on HKLM:\ paths and always
// in the 64-bit view. Each gives an empty text on success, else the message a
// script would see.
#pragma once

#include <optional>
#include <string>

namespace standin {

// True for a provider path such as HKLM:\... or HKCU:\... (a drive name of
// more than one letter), as opposed to a file-system path.
bool IsProviderPath(const std::wstring& path);

// The key below HKEY_LOCAL_MACHINE for HKLM:\<key>; throws ScriptRuntimeError
// for other providers and for the hive itself.
std::wstring MachineSubkey(const std::wstring& path);

bool RegistryKeyExists(const std::wstring& subkey);

// Creates the key. Like the real cmdlet with -Force, an existing key is
// replaced by an empty one (its values are lost).
std::wstring CreateRegistryKey(const std::wstring& subkey, bool replaceExisting);

// Deletes the key; with 'recurse' its subkeys too.
std::wstring RemoveRegistryKey(const std::wstring& subkey, bool recurse);

// Writes a REG_SZ value, creating the key when it is missing.
std::wstring SetRegistryString(const std::wstring& subkey, const std::wstring& name, const std::wstring& value);

std::wstring RemoveRegistryValue(const std::wstring& subkey, const std::wstring& name);

// A string value (REG_SZ or REG_EXPAND_SZ, expanded). 'value' stays empty when
// the key or value is missing, which is also reported in the result.
std::wstring ReadRegistryString(const std::wstring& subkey, const std::wstring& name,
                                std::optional<std::wstring>& value);

}  // namespace standin
