// The run's log file, for deployments that start Setup with no one watching:
// every line the log pane receives, every change of the status line and the
// final result, each with a local time stamp. UTF-8 with byte-order mark.
#pragma once

#include <string>

// Creates the file new: an existing file or link of that name is never
// followed, overwritten or appended to, and the folder it goes into must be a
// real directory (held while the file is made). False (and no log) when the
// path is not acceptable or the file cannot be made.
bool OpenRunLog(const std::wstring& path);

// What a log path given on the command line may be: a file ending in ".log"
// (letter case aside) in a named folder; no device name, no stream, no
// "\\?\" or "\\.\" form. An elevated Setup must not become a writer of any
// other kind of file.
bool IsAcceptableLogPath(const std::wstring& path);

// "<temporary folder>\Orlinth-Japanese-Setup-<yyyymmdd>-<hhmmss>.log" for now.
std::wstring DefaultRunLogPath();

// One line, when a log is open; otherwise nothing.
void WriteRunLog(const std::wstring& line);
