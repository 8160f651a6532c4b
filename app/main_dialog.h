// The main dialog (template 200): the program's only top-level window.
#pragma once

#include <windows.h>

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
