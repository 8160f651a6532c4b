// The main dialog's icons, captions and progress bar set-up.
#pragma once

#include <windows.h>

#include <string>

// Window icon, caption, header texts and progress bar range.
void ApplyMainWindowLook(HWND dialog);

// "Orlinth Setup (일본어)"
std::wstring MainWindowCaption();
