// What the main dialog's window thread knows about the window while it runs.
#pragma once

#include <windows.h>

#include <optional>

#include "ops/operation_kind.h"

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

// Window-thread fields only; other threads reach the window through the
// posting functions.
struct MainWindowState {
  HWND dialog = nullptr;  // from the dialog's initialisation on
  MainWindowControls controls;
  OperationKind currentOperationKind = kOperationInstall;
  bool busy = false;
  bool requestPending = false;  // from a request's start until declined or completed
  bool painted = false;         // the first WM_PAINT has been handled
  bool downloading = false;     // a package download runs: the close button cancels it
  // What an unattended run ends with, once its operation has finished.
  std::optional<int> finishedExitCode;
  bool logExpanded = false;
  int currentProgress = 0;
  DWORD lastPumpTick = 0;
};

MainWindowState& MainState();
