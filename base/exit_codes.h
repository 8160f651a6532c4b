// The exit codes of a run, as deployment tools read them: with the window a
// run ends with 0 (or 1639 for a command line it cannot follow, after saying
// so); unattended, with the code of what became of its one operation. The
// README's table says the same.
#pragma once

inline constexpr int kExitSuccess = 0;
// Administrator rights could not be had (the elevation prompt is asked once).
inline constexpr int kExitElevationRefused = 1;
// Not enough free space for the download or its extraction.
inline constexpr int kExitDiskFull = 112;
// The user stopped the package download (the window of /passive).
inline constexpr int kExitCancelled = 1602;
// A script failed, or anything not listed here.
inline constexpr int kExitFailure = 1603;
// The release server could not be reached and Setup carries no package.
inline constexpr int kExitNoPackageSource = 1612;
// Another Setup was still running an operation after 60 seconds.
inline constexpr int kExitBusy = 1618;
// Refused by policy: a signature or the rollback floor of a keyed build, or
// a machine policy that allows only signed scripts.
inline constexpr int kExitRefusedByPolicy = 1625;
// A newer version is installed: an unattended install of an older package
// without /allowdowngrade.
inline constexpr int kExitNewerInstalled = 1638;
// A command line Setup cannot follow: a contradiction, or a log path it refuses.
inline constexpr int kExitBadCommandLine = 1639;
// Success; a restart finishes the removal of locked files.
inline constexpr int kExitRebootRequired = 3010;
