// Owner-drawn buttons that behave as the push buttons they draw: the dialog
// manager hears them as push buttons (Enter presses the focused one, the
// default one otherwise), the default style is kept for the drawing instead
// of replacing the owner-drawn type, and the window property "OLT_Hover" is
// present while the mouse is over the button.
#pragma once

#include <windows.h>

LRESULT CALLBACK OwnerButtonSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);

bool InstallOwnerButtonSubclass(HWND button);
bool IsHovered(HWND window);
// Whether the dialog made this button its default one (BM_SETSTYLE).
bool IsDefaultButton(HWND window);
