// The main dialog's theme set-up: palette, frame, brushes, icons, progress bar
// look, fonts, button subclasses, caption and header texts.
#pragma once

#include <windows.h>

#include <string>

// In this order at the dialog's initialisation, before captions and the layout
// (which makes the fonts for the size the user reads at).
void ApplyMainWindowLook(HWND dialog);

// After the user switched the theme, high contrast or the system colours:
// everything drawn again in the new colours.
void RefreshMainWindowLook(HWND dialog);

// Gives every control its font of the current theme fonts.
void SetControlFonts(HWND dialog);

// "Orlinth Setup (일본어)"
std::wstring MainWindowCaption();
