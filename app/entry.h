// Start-up of Setup: command line, elevation, self-update, then the main dialog.
#pragma once

#include <windows.h>

// Returns the process exit code.
int RunSetup(HINSTANCE instance, const wchar_t* commandTail);

// Registers the common control classes the dialogs use (progress bar and the
// standard ones), from the comctl32 that the manifest selects.
bool InitCommonControlClasses();
