// A run started by a deployment tool (/quiet or /passive): the one operation
// starts by itself, nothing asks, and its result ends the dialog as the exit
// code.
#pragma once

#include <windows.h>

// At the dialog's initialisation: ends at once with 1618 when another live
// Setup holds the operation lock; otherwise requests the install, or the
// removal with /uninstall.
void BeginUnattendedRun(HWND dialog);

// After each step of the operation: once it has finished, the result is
// logged and ends the dialog.
void FinishUnattendedRunIfDone(HWND dialog);

// /quiet: the window never becomes visible.
void KeepHiddenWhenQuiet(WINDOWPOS* position);
