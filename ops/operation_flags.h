// What the current operation is, beyond its kind. Written on the window thread
// by the request step before any worker exists; read by the start and
// completion steps and by the worker.
#pragma once

struct OperationFlags {
  bool wasInstalled = false;      // install kind: the product was there when asked
  bool addLanguage = false;       // install kind: adds the target to other languages
  bool partialUninstall = false;  // uninstall kind: removes only the target
};

OperationFlags& CurrentOperationFlags();
