// Administrator rights: the membership test and the relaunch through the
// elevation prompt.
#pragma once

#include <string>

// True when the caller's token is a member of the local Administrators group.
bool IsRunningAsAdministrator();

enum class ElevationStep { GoOn, Relaunch, GiveUp };

// Rights go on; without them Setup asks through the elevation prompt once,
// and a start that already came from that prompt and still lacks them (the
// prompt switched off, a standard user) gives up instead of asking again.
ElevationStep DecideElevation(bool administrator, bool alreadyRelaunched);

// Shows the administrator message (an unattended run logs it); returns 1.
int ReportElevationRefused();

// Starts this executable again with the verb "runas", the given parameters
// and the relaunch marker, waits for it and returns the exit code this process
// should end with; ReportElevationRefused() when the relaunch is refused or
// fails.
int RelaunchElevated(const std::wstring& parameters);
