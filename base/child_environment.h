// The environment of every program Setup starts: the system's own, as a fresh
// process of no user gets it, with Setup's settings on top. In admin-approval
// mode Setup's own environment comes from the signed-in user's registry, so
// none of it passes on: a profiler DLL, a PATH or a TEMP of the user's would
// otherwise reach an elevated child.
#pragma once

#include <string>
#include <vector>

#include "base/child_process.h"

// The system's variables alone (no user's, nothing of Setup's), as an
// environment block; empty when the system cannot give them.
std::wstring SystemEnvironmentBlock();

// What goes on top: SystemRoot and windir, ComSpec, a PATH of system folders
// only, TEMP and TMP in the working root (and PowerShell's module analysis
// cache there), and the profile variables a script may need, each taken from
// the system rather than from Setup's environment.
std::vector<EnvironmentSetting> CleanChildEnvironment();
