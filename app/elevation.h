// Administrator rights: the membership test and the relaunch through the
// elevation prompt.
#pragma once

#include <string>

// True when the caller's token is a member of the local Administrators group.
bool IsRunningAsAdministrator();

// Starts this executable again with the verb "runas" and the given parameters,
// waits for it and returns the exit code this process should end with. Shows
// the administrator message (an unattended run logs it) and returns 1 when
// the relaunch is refused or fails.
int RelaunchElevated(const std::wstring& parameters);
