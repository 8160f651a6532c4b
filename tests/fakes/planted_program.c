/* Planted beside Setup.exe under the name of a program Setup starts. When run,
   it creates "<its file name>.ran" in the folder named by ORLINTH_MARKER_DIR. */
#include <windows.h>

int wmain(void) {
  wchar_t folder[MAX_PATH];
  wchar_t module[MAX_PATH];
  DWORD folderLength = GetEnvironmentVariableW(L"ORLINTH_MARKER_DIR", folder, MAX_PATH);
  DWORD moduleLength = GetModuleFileNameW(NULL, module, MAX_PATH);
  if (folderLength == 0 || folderLength >= MAX_PATH || moduleLength == 0 || moduleLength >= MAX_PATH) return 0;
  const wchar_t* name = module;
  for (const wchar_t* p = module; *p; ++p) {
    if (*p == L'\\' || *p == L'/') name = p + 1;
  }
  wchar_t marker[2 * MAX_PATH + 16];
  lstrcpyW(marker, folder);
  lstrcatW(marker, L"\\");
  lstrcatW(marker, name);
  lstrcatW(marker, L".ran");
  HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return 0;
}
