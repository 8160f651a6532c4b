// The life of one operation on the window thread: request, start, completion.
#pragma once

#include <windows.h>

#include <string>

#include "app/window_messages.h"

// A button press or the automatic-update request.
void RequestOperation(OperationKind kind);

// WM_APP_START_OPERATION: switches the window to busy and starts the worker.
void StartOperation(OperationKind kind);

// Starts the worker thread for the request (the thread then owns it); null
// when it cannot. Tests replace it to make the start fail; null restores it.
struct WorkerRequest;
using WorkerStarter = HANDLE (*)(WorkerRequest* request);
void SetWorkerStarter(WorkerStarter starter);

// WM_APP_OPERATION_DONE: turns the worker's result into texts and messages.
void CompleteOperation(const OperationResult& done);

// While a package download runs, the close button offers to stop it.
void SetDownloadCancellable(bool downloading);

// The user asked to stop the package download (the button, or Yes to the
// close box's question).
void CancelDownload();
