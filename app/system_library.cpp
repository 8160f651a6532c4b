#include "app/system_library.h"

HMODULE LoadSystemLibrary(const wchar_t* dllName) {
  // The reference is never released on purpose: functions taken from the module
  // are used until the process ends. Repeated loads only bump the count.
  return ::LoadLibraryExW(dllName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void RestrictDllSearchToSystem32() {
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
