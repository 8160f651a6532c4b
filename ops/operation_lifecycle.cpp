#include "ops/operation_lifecycle.h"

#include "app/main_window_state.h"
#include "app/window_setters.h"

// Operations are not built yet: there is no confirmation, worker or script, so
// a request only brings the window forward and nothing ever becomes busy. The
// completion still releases the window, so it can never stay busy.

void RequestOperation(OperationKind) {
  if (MainState().busy || MainWindowHandle() == nullptr) return;
  BringToFront();
}

void StartOperation(OperationKind) {}

void CompleteOperation(OperationKind, int, const std::wstring&) { SetBusy(false); }
