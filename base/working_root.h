// Setup's administrators-only working root under ProgramData. Everything Setup
// writes and later runs or reuses (payload and package caches, self-update
// files, staged uninstall scripts, local Setup copies) lives here, never in a
// folder that the signed-in user's own programs can change.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// %ProgramData%\Orlinth-Japanese-Setup; empty when ProgramData is unknown.
std::wstring WorkingRootPath();

// root\name; empty when the root is unknown.
std::wstring WorkingPath(const std::wstring& name);

// True when the path text lies below the working root.
bool IsInsideWorkingRoot(const std::wstring& path);

// Checks the working root before anything in it is trusted, rebuilds it when a
// check fails, then makes `folder`, which must lie below it. True when ready.
bool EnsureWorkingFolder(const std::wstring& folder);

// The check and rebuild for any folder: it must be a real directory, not a
// link, and `trusted` must accept it (given a handle with READ_CONTROL).
// Otherwise whatever is there is removed without following links and the
// folder is made again with administrators-only security, then judged again.
using FolderJudge = std::function<bool(HANDLE folder)>;
bool PrepareTrustedFolder(const std::wstring& folder, const FolderJudge& trusted);
