// The log pane is an ordinary edit control whose text cannot be changed by the
// user, while selecting, scrolling and copying still work (a read-only edit
// would be drawn and coloured as a static).
#pragma once

#include <windows.h>

LRESULT CALLBACK LogInputFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR data);

bool InstallLogInputFilter(HWND logPane);

// Whether the filter discards the message: every character (typing and the
// control-key shortcuts alike), cut, paste, undo, Delete and Backspace.
// Copying stays with the context menu's copy command.
bool IsBlockedLogInput(UINT message, WPARAM wParam);
