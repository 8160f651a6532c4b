// The life of one operation on the window thread: request, start, completion.
#pragma once

#include <string>

#include "app/window_messages.h"

// A button press or the automatic-update request.
void RequestOperation(OperationKind kind);

// WM_APP_START_OPERATION: switches the window to busy and starts the worker.
void StartOperation(OperationKind kind);

// WM_APP_OPERATION_DONE: turns the worker's result into texts and messages.
void CompleteOperation(OperationKind kind, int result, const std::wstring& message);
