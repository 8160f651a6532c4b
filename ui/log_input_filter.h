// The log pane is an ordinary edit control whose text cannot be changed by the
// user, while selecting, scrolling and copying still work (a read-only edit
// would be drawn and coloured as a static).
#pragma once

#include <windows.h>

LRESULT CALLBACK LogInputFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);

bool InstallLogInputFilter(HWND logPane);

// Whether the filter discards the message: every character (typing and the
// control-key shortcuts alike), cut, paste, the context menu's Delete, undo,
// Delete, Backspace and Shift+Insert, and an input method's composition.
// Selecting, scrolling and copying stay.
bool IsBlockedLogInput(UINT message, WPARAM wParam, bool shiftDown);
