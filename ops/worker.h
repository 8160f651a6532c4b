// The thread that prepares the package and runs the script of one operation.
#pragma once

#include <windows.h>

#include <string>

#include "app/window_messages.h"

struct WorkerRequest {
  OperationKind kind = kOperationInstall;
  std::wstring scriptArguments;  // empty, or " -Language '<code>'"
};

// Thread entry; takes ownership of the heap WorkerRequest and posts exactly
// one WM_APP_OPERATION_DONE as its last act.
DWORD WINAPI WorkerMain(LPVOID request);
