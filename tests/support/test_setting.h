// Settings that tests hand to the fakes (the PowerShell stand-in, planted
// programs and DLLs). Setup starts its children with an environment of its
// own making, so besides this process's environment each setting goes into
// the registry, where the fakes look when their environment lacks it.
#pragma once

#include <optional>
#include <string>

void SetTestSetting(const wchar_t* name, const std::wstring& value);
void ClearTestSetting(const wchar_t* name);

// Set for the life of the object; this process's variable then gets back
// the value it had before.
class ScopedTestSetting {
 public:
  ScopedTestSetting(const wchar_t* name, const std::wstring& value);
  ~ScopedTestSetting();
  ScopedTestSetting(const ScopedTestSetting&) = delete;
  ScopedTestSetting& operator=(const ScopedTestSetting&) = delete;

 private:
  const wchar_t* name_;
  std::optional<std::wstring> before_;
};
