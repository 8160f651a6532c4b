// The thread that prepares the package and runs the script of one operation.
#pragma once

#include <windows.h>

#include <string>

#include "ops/operation_kind.h"

// Everything the worker needs, decided on the window thread before it starts.
struct WorkerRequest {
  OperationKind kind = kOperationInstall;
  bool update = false;           // an install over an installed product (never an uninstall)
  std::wstring scriptArguments;  // empty, or " -Language '<code>'"
  bool carriedFirst = false;     // a deployment: what Setup carries comes before the server
  bool refuseOlder = false;      // an unattended install without /allowdowngrade
  // Hands the result to the window; false when it could not.
  bool (*deliver)(const OperationResult& result) = nullptr;
};

// Thread entry; takes ownership of the heap WorkerRequest and delivers exactly
// one result as its last act.
DWORD WINAPI WorkerMain(LPVOID request);
