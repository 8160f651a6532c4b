/* A setting a test hands to a fake: from the environment, or, since Setup
   gives its children an environment of its own making, from the registry
   value that tests/support/test_setting writes beside it. 0 when neither has
   it (or it does not fit). */
#pragma once

#include <windows.h>

static DWORD ReadTestSetting(const wchar_t* name, wchar_t* value, DWORD size) {
  DWORD length = GetEnvironmentVariableW(name, value, size);
  DWORD bytes = size * (DWORD)sizeof(wchar_t);
  if (length > 0 && length < size) return length;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orlinth-Test", name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, NULL,
                   value, &bytes) != ERROR_SUCCESS ||
      bytes < sizeof(wchar_t)) {
    return 0;
  }
  return bytes / (DWORD)sizeof(wchar_t) - 1;
}
