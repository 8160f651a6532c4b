#include "support/app_theme.h"

namespace {

constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kValueName[] = L"AppsUseLightTheme";

}  // namespace

void SetAppsUseLightTheme(std::optional<DWORD> value) {
  if (!value) {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, kValueName);
    return;
  }
  ::RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, kValueName, REG_DWORD, &*value, sizeof(DWORD));
}

void SetHighContrastSetting(bool on) {
  constexpr wchar_t kKey[] = L"Control Panel\\Accessibility\\HighContrast";
  if (!on) {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Flags");
    return;
  }
  constexpr wchar_t kOn[] = L"127";
  ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Flags", REG_SZ, kOn, sizeof(kOn));
}

std::optional<DWORD> ReadAppsUseLightThemeValue() {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, kValueName, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

ScopedAppTheme::ScopedAppTheme(std::optional<DWORD> appsUseLightTheme) : saved_(ReadAppsUseLightThemeValue()) {
  SetAppsUseLightTheme(appsUseLightTheme);
}

ScopedAppTheme::~ScopedAppTheme() { SetAppsUseLightTheme(saved_); }
