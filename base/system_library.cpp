#include "base/system_library.h"

#include <initializer_list>

HMODULE LoadSystemLibrary(const wchar_t* dllName) {
  // The reference is never released on purpose: functions taken from the module
  // are used until the process ends. Repeated loads only bump the count.
  return ::LoadLibraryExW(dllName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void RestrictDllSearchToSystem32() {
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // The common controls and message boxes load the theme and drawing
  // libraries only when they first need them. Wine resolves such lazy loads
  // and dependencies with the old search order, which starts in the program's
  // folder whatever the default directories say. A DLL already loaded is
  // taken by name from memory, so loading these here from System32 keeps a
  // planted copy out on every platform. (The HTTP library's dependencies are
  // loaded the same way right before it.)
  for (const wchar_t* name : {L"uxtheme.dll", L"msimg32.dll"}) {
    LoadSystemLibrary(name);
  }
}
