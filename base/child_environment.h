// The environment of every program Setup starts, built from scratch. In
// admin-approval mode Setup's own environment comes from the signed-in user's
// registry, so none of it passes on: a profiler DLL, a PATH or a TEMP of the
// user's would otherwise reach an elevated child.
#pragma once

#include <vector>

#include "base/child_process.h"

// SystemRoot and windir, ComSpec, a PATH of system folders only, TEMP and TMP
// in the working root, and the few profile variables a script may need, each
// taken from the system rather than from Setup's environment.
std::vector<EnvironmentSetting> CleanChildEnvironment();
