// The status line, step line and buttons by installation state.
#pragma once

#include <windows.h>

#include <string>

#include "ops/install_state.h"

// Captions the buttons and the log toggle carry at start.
void SetInitialCaptions(HWND dialog);

struct StatusTexts {
  std::wstring status;
  std::wstring step;
};

// What the status and step lines say in a state.
StatusTexts StatusTextsFor(const InstallState& state);

// Lays out the buttons for the state as it is now and, unless an operation
// runs, gives the focus to the install button.
void ArrangeStatusArea();
