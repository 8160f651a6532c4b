// The run's log file, for deployments that start Setup with no one watching:
// every line the log pane receives, every change of the status line and the
// final result, each with a local time stamp. UTF-8 with byte-order mark.
#pragma once

#include <string>

// Creates the file new: an existing file or link of that name is never
// followed, overwritten or appended to. False (and no log) when it cannot be.
bool OpenRunLog(const std::wstring& path);

// "<temporary folder>\Orlinth-Japanese-Setup-<yyyymmdd>-<hhmmss>.log" for now.
std::wstring DefaultRunLogPath();

// One line, when a log is open; otherwise nothing.
void WriteRunLog(const std::wstring& line);
