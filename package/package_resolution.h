// Where an operation's install package comes from.
#pragma once

#include <string>

// The package folder for this operation, or empty with a ready-to-show
// message in errorText. Runs on the worker thread and reports its progress to
// the main window.
std::wstring ResolvePackageFolder(std::wstring* errorText);

// Shown when no package source exists at all.
extern const wchar_t kPackageNotFoundMessage[];
