// The window frame in the theme's colours (caption bar, dark frame, corners).
#pragma once

#include <windows.h>

// Asks the desktop window manager for the frame; a system that refuses an
// attribute keeps its own frame, so failures are ignored.
void ApplyWindowFrame(HWND dialog);
