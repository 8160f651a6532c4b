// The command line of Setup, turned into process-wide launch options.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct LaunchOptions {
  bool autoUpdate = false;
  // Deployment switches: no window and no box at all, or the window without
  // questions or boxes, closing itself; the removal instead of the install;
  // a log file.
  bool quiet = false;
  bool passive = false;
  bool uninstall = false;
  bool allowDowngrade = false;                 // an unattended install may put an older package over a newer one
  bool help = false;                           // "/?", "/h", "/help": the usage, and nothing else
  bool quietOverPassive = false;               // both were given; /quiet won
  std::vector<std::wstring> unknownArguments;  // logged; a window ignores them, a deployment stops
  std::wstring logPath;
  bool noSelfUpdate = false;
  bool noSelfUpdateSwitch = false;  // "/noselfupdate" itself was given
  std::wstring applySelfUpdatePath;
  std::wstring applySelfUpdateVersion;
  std::uint32_t applySelfUpdatePid = 0;
  std::wstring releaseFolder;           // handed on by a self-update
  bool relaunchedForElevation = false;  // the elevation prompt has been asked once already
  std::wstring relaunchParameters;      // the arguments to pass on, without that marker
};

// The marker the relaunch through the elevation prompt adds.
inline constexpr wchar_t kElevationRelaunchSwitch[] = L"/relaunched-elevated";

// With /quiet or /passive: nothing asks, no box is shown, and the result of
// the one operation becomes the exit code.
inline bool IsUnattended(const LaunchOptions& options) { return options.quiet || options.passive; }

// Switches that cannot both be followed: a removal and an update.
inline bool IsContradictory(const LaunchOptions& options) { return options.uninstall && options.autoUpdate; }

// The grammar: the arguments after the program name, already split.
LaunchOptions ParseLaunchArguments(const std::vector<std::wstring>& arguments);

// Used when the command line cannot be split: the raw tail is carried on as it
// is and only the two plain switches are looked for.
LaunchOptions ParseUnsplitCommandTail(std::wstring_view tail);

// Splits the full command line the Windows way (falling back to the tail).
LaunchOptions ReadLaunchOptions(const wchar_t* fullCommandLine, const wchar_t* commandTail);

// The options as if no /apply-self-* switch had been given.
void DropHandOffSwitches(LaunchOptions& options);

// Written once during start-up, before any other thread exists; read-only after.
// Setting them also sets whether message boxes may be shown.
const LaunchOptions& CurrentLaunchOptions();
void SetLaunchOptions(LaunchOptions options);
