// The fallback when the old Setup file cannot be replaced while this process
// runs: a hidden command script that waits for the installer to end, puts the
// new Setup in place and starts it.
#pragma once

#include <string>

// The text in double quotes (embedded quotes are not escaped).
std::wstring QuotePath(const std::wstring& text);

struct ReplaceScriptPaths {
  std::wstring source;       // the local copy of the new Setup
  std::wstring oldPath;      // the Setup being replaced
  std::wstring destination;  // where the new Setup goes (maybe oldPath itself)
  std::wstring log;          // the replacement log
  std::wstring ping;         // the system's ping.exe, named by its full path
};

// The script's lines, each ending in CR LF, with every path and argument
// escaped for cmd.
std::wstring ComposeReplaceScript(const ReplaceScriptPaths& paths, const std::wstring& relaunchArguments);

// Writes the script (console code page) into the update folder and starts it
// hidden. True when it was written whole and is running; false, with nothing
// written, when a path cannot be written in that code page.
bool ScheduleDeferredReplace(const std::wstring& source, const std::wstring& oldPath, const std::wstring& destination,
                             const std::wstring& relaunchArguments);
