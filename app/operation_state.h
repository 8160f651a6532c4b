// What the request, start and completion of one operation share on the
// window thread.
#pragma once

#include "ops/operation_kind.h"

// What the current operation is, beyond its kind. Written by the request step
// before any worker exists; the worker gets what it needs in its request.
struct OperationFlags {
  bool wasInstalled = false;      // install kind: the product was there when asked
  bool addLanguage = false;       // install kind: adds the target to other languages
  bool partialUninstall = false;  // uninstall kind: removes only the target
};

OperationFlags& CurrentOperationFlags();

// The worker of the operation that has ended: its thread handle is closed.
void ForgetWorkerThread();

// The exit code of an unattended run for an operation's result; `japaneseMissing`
// is an install whose script ended 0 without the keyboard being there after it.
int ExitCodeFor(const OperationResult& done, bool japaneseMissing);
