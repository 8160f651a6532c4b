// System DLLs outside the KnownDLLs are loaded at run time from System32 only,
// never from the folder Setup was started from (where anyone may have dropped
// a DLL of the same name).
#pragma once

#include <windows.h>

// Loads the module from System32 once and keeps it for the life of the process.
// Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* dllName);

// A typed entry point of a System32 DLL, or null when the DLL or the export is
// missing. Use as: SystemFunction<decltype(&::Function)>(L"x.dll", "Function").
template <typename FunctionPointer>
FunctionPointer SystemFunction(const wchar_t* dllName, const char* exportName) {
  HMODULE module = LoadSystemLibrary(dllName);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<FunctionPointer>(reinterpret_cast<void*>(::GetProcAddress(module, exportName)));
}

// Restricts every later DLL load of the process (and the dependencies of those
// DLLs) to System32, and loads from there the DLLs that system code loads
// lazily on the program's behalf. Called first thing at start.
void RestrictDllSearchToSystem32();
