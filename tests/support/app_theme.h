// The user's app theme as Setup reads it, set for one test and put back after.
#pragma once

#include <windows.h>

#include <optional>

class ScopedAppTheme {
 public:
  // Stores AppsUseLightTheme as a DWORD, or removes it when nothing is given.
  explicit ScopedAppTheme(std::optional<DWORD> appsUseLightTheme);
  ~ScopedAppTheme();
  ScopedAppTheme(const ScopedAppTheme&) = delete;
  ScopedAppTheme& operator=(const ScopedAppTheme&) = delete;

 private:
  std::optional<DWORD> saved_;
};

void SetAppsUseLightTheme(std::optional<DWORD> value);

// The stored high-contrast setting: on ("127"), or the value removed. This
// Wine cannot switch high contrast on through the system call.
void SetHighContrastSetting(bool on);
std::optional<DWORD> ReadAppsUseLightThemeValue();
