// Where an operation's install package comes from.
#pragma once

#include <string>

#include "package/package_failure.h"

struct PackageRequest {
  bool carriedFirst = false;  // the payload before the server (a deployment)
  bool refuseOlder = false;   // an unattended install without /allowdowngrade
};

struct ResolvedPackage {
  std::wstring folder;   // empty: none
  std::wstring version;  // as its source names it (the server's answer, the signed list, else manifest.json)
  std::wstring message;  // ready to show, when there is none
  PackageFailure failure = PackageFailure::None;
};

// The package for this operation: the release folder, then the release
// server, then Setup's own payload; with `carriedFirst`, the payload before
// the server. An older package than the installed one is refused with
// `refuseOlder`, and by a keyed build always. Runs on the worker thread and
// reports its progress to the main window.
ResolvedPackage ResolvePackage(const PackageRequest& request);

// The folder Setup was started from when it is a release (Setup beside the
// scripts) and Setup carries no package of its own; empty otherwise.
std::wstring ReleaseFolder();

// After a self-update the new Setup runs from the working root: the folder the
// old one was started from, handed on, stands in for its own. Only a full path
// is taken; set once at start, before any other thread runs.
void SetHandedOnReleaseFolder(const std::wstring& folder);

// Shown when no package source exists at all.
extern const wchar_t kPackageNotFoundMessage[];
