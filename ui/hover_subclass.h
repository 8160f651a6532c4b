// The hover marker of owner-drawn buttons: the window property "OLT_Hover" is
// present while the mouse is over the button.
#pragma once

#include <windows.h>

LRESULT CALLBACK HoverSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);

bool InstallHoverSubclass(HWND button);
bool IsHovered(HWND window);
