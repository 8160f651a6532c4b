// Window subclassing of the common controls library, taken from System32 at
// run time like every DLL outside the KnownDLLs.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Subclass id 1, no reference data.
bool InstallSubclass(HWND window, SUBCLASSPROC procedure);
void RemoveSubclass(HWND window, SUBCLASSPROC procedure);
LRESULT DefaultSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
