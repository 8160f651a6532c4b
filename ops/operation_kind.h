// What an operation is and what it ended with, as the worker reports it.
#pragma once

#include <cstdint>
#include <string>

#include "package/package_failure.h"

// 0 install (fresh install, adding a language, update), 1 uninstall.
using OperationKind = std::int32_t;
inline constexpr OperationKind kOperationInstall = 0;
inline constexpr OperationKind kOperationUninstall = 1;

struct OperationResult {
  OperationKind kind = kOperationInstall;
  std::int32_t result = 0;           // the script's exit code, or -2 when no package was found
  std::wstring message;              // empty unless result is -2
  bool cancelled = false;            // the user stopped the package download: nothing was run
  std::wstring packageVersion = {};  // the version of the package run, as its source names it; may be empty
  PackageFailure failure = PackageFailure::None;  // why no package, when result is -2
};
