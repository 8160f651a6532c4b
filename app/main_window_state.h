// What the main dialog's window thread knows about the window while it runs.
#pragma once

#include <windows.h>

#include <optional>

#include "app/window_messages.h"

struct MainWindowControls {
  HWND statusLine = nullptr;  // 202
  HWND stepLine = nullptr;    // 203
  HWND progress = nullptr;    // 204
  HWND logPane = nullptr;     // 206
  HWND logToggle = nullptr;   // 214
  HWND install = nullptr;     // 207
  HWND remove = nullptr;      // 208
  HWND notices = nullptr;     // 216
  HWND close = nullptr;       // 209
  HWND card = nullptr;        // 213
};

// Window-thread fields; other threads only ever read the window handle, through
// MainWindowHandle().
struct MainWindowState {
  MainWindowControls controls;
  OperationKind currentOperationKind = kOperationInstall;
  bool busy = false;
  bool requestPending = false;  // from a request's start until declined or completed
  // What an unattended run ends with, once its operation has finished.
  std::optional<int> finishedExitCode;
  bool logExpanded = false;
  int currentProgress = 0;
  DWORD lastPumpTick = 0;
};

MainWindowState& MainState();

// The dialog, or null until it has been initialised. Safe from any thread.
HWND MainWindowHandle();
void SetMainWindowHandle(HWND window);
