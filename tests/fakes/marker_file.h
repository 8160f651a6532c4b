/* Leaves "<file name of module><suffix>" in the folder named by the test
   setting ORLINTH_MARKER_DIR, holding the process's command line in UTF-8, so a test
   can tell that a planted file was used and how it was started. */
#pragma once

#include <windows.h>

#include "test_setting.h"

static void LeaveMarker(HMODULE module, const wchar_t* suffix) {
  wchar_t folder[MAX_PATH];
  wchar_t path[MAX_PATH];
  DWORD folderLength = ReadTestSetting(L"ORLINTH_MARKER_DIR", folder, MAX_PATH);
  DWORD pathLength = GetModuleFileNameW(module, path, MAX_PATH);
  if (folderLength == 0 || folderLength >= MAX_PATH || pathLength == 0 || pathLength >= MAX_PATH) return;
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; ++p) {
    if (*p == L'\\' || *p == L'/') name = p + 1;
  }
  wchar_t marker[2 * MAX_PATH + 16];
  lstrcpyW(marker, folder);
  lstrcatW(marker, L"\\");
  lstrcatW(marker, name);
  lstrcatW(marker, suffix);
  HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  char commandLine[4096];
  int length = WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, commandLine, sizeof(commandLine), NULL, NULL);
  DWORD written = 0;
  if (length > 1) WriteFile(file, commandLine, (DWORD)(length - 1), &written, NULL);
  CloseHandle(file);
}
