// Where an operation's install package comes from.
#pragma once

#include <string>

// The package folder for this operation, or empty with a ready-to-show
// message in errorText: the release folder, then the release server, then
// Setup's own payload; with `carriedFirst`, the payload before the server.
// `packageVersion` gets the version the source names (the server's answer,
// the signed file list, else the package's manifest.json); empty when none.
// A keyed build refuses a package older than the installed one. Runs on the
// worker thread and reports its progress to the main window.
std::wstring ResolvePackageFolder(bool carriedFirst, std::wstring* errorText, std::wstring* packageVersion = nullptr);

// The folder Setup was started from when it is a release (Setup beside the
// scripts) and Setup carries no package of its own; empty otherwise.
std::wstring ReleaseFolder();

// After a self-update the new Setup runs from the working root: the folder the
// old one was started from, handed on, stands in for its own. Only a full path
// is taken; set once at start, before any other thread runs.
void SetHandedOnReleaseFolder(const std::wstring& folder);

// Shown when no package source exists at all.
extern const wchar_t kPackageNotFoundMessage[];
