/* Planted beside Setup.exe under the names of system DLLs. When anything loads
   it, it creates "<name>.loaded" in the folder named by ORLINTH_MARKER_DIR. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t folder[MAX_PATH];
  wchar_t module[MAX_PATH];
  DWORD folderLength = GetEnvironmentVariableW(L"ORLINTH_MARKER_DIR", folder, MAX_PATH);
  DWORD moduleLength = GetModuleFileNameW(instance, module, MAX_PATH);
  if (folderLength == 0 || folderLength >= MAX_PATH || moduleLength == 0 || moduleLength >= MAX_PATH) {
    return TRUE;
  }
  const wchar_t* name = module;
  for (const wchar_t* p = module; *p; ++p) {
    if (*p == L'\\' || *p == L'/') name = p + 1;
  }
  wchar_t marker[2 * MAX_PATH + 16];
  lstrcpyW(marker, folder);
  lstrcatW(marker, L"\\");
  lstrcatW(marker, name);
  lstrcatW(marker, L".loaded");
  HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return TRUE;
}
