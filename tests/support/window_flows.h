// The flows the end-to-end tests run through Setup's window again and again.
#pragma once

#include <windows.h>

#include <string>

#include "support/setup_driver.h"

// What the user saw when the operation ended: the closing message and, while
// it was open, the step and status lines and the log pane.
struct Outcome {
  std::wstring message;
  std::wstring step;
  std::wstring status;
  std::wstring log;
};

// Waits for the message that ends the operation, notes what the window
// shows behind it and dismisses it. A box that never comes fails the test.
Outcome WaitForOutcome(const SetupProcess& setup, DWORD timeoutMs = 120000);

// Presses the button, answers its question (checked unless `question` is
// empty) with Yes and waits for the end.
Outcome RunOperation(const SetupProcess& setup, int buttonId, const std::wstring& question = L"");
