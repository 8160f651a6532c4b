// Captions of the main dialog and the log pane's expansion.
#pragma once

#include <windows.h>

// Captions the buttons and the log toggle carry at start.
void SetInitialCaptions(HWND dialog);

// Shows or hides the log pane and sets the toggle caption.
void SetLogExpanded(bool expanded);

// Shows the log pane when expanded, hides it otherwise.
void ShowLogPane();

// Gives the keyboard focus to the install button (the close button when there
// is none), unless an operation runs.
void FocusDefaultButton();
