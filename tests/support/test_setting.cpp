#include "support/test_setting.h"

#include <windows.h>

namespace {

constexpr wchar_t kKey[] = L"SOFTWARE\\Orlinth-Test";

}  // namespace

void SetTestSetting(const wchar_t* name, const std::wstring& value) {
  ::SetEnvironmentVariableW(name, value.c_str());
  ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void ClearTestSetting(const wchar_t* name) {
  ::SetEnvironmentVariableW(name, nullptr);
  ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, name);
}

ScopedTestSetting::ScopedTestSetting(const wchar_t* name, const std::wstring& value) : name_(name) {
  const DWORD needed = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (needed > 0) {
    std::wstring before(needed, L'\0');
    before.resize(::GetEnvironmentVariableW(name, before.data(), needed));
    before_ = before;
  }
  SetTestSetting(name, value);
}

ScopedTestSetting::~ScopedTestSetting() {
  ClearTestSetting(name_);
  if (before_) ::SetEnvironmentVariableW(name_, before_->c_str());
}
