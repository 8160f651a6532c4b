// The run's log file, for deployments that start Setup with no one watching:
// every line the log pane receives, every change of the status line and the
// final result, each with a local time stamp. UTF-8 with byte-order mark.
#pragma once

#include <string>

// Opens the log: a new file, or an existing plain file appended to after a
// blank line; a link, folder or device of that name is never followed or
// written. A relative path counts from the current folder; every folder of
// the path must be a real directory (held while the file is opened) and is
// made where it is missing. Starts with a line naming the run. False (and no
// log) with the reason when the path is not acceptable or the file cannot be
// opened.
bool OpenRunLog(const std::wstring& path, std::wstring* reason = nullptr);

// What a full log path may be: a file ending in ".log" or ".txt" (letter case
// aside) in a folder given by drive or share; no device name, no stream, no
// "\\?\" or "\\.\" form. An elevated Setup must not become a writer of any
// other kind of file.
bool IsAcceptableLogPath(const std::wstring& path);

// "<temporary folder>\Orlinth-Japanese-Setup-<yyyymmdd>-<hhmmss>.log" for now.
std::wstring DefaultRunLogPath();

// A line that every log opened afterwards carries right after its first one:
// what anybody reading the log must know about this build. Set once at start.
void SetRunLogBuildNote(const std::wstring& note);

// One line, when a log is open; otherwise nothing.
void WriteRunLog(const std::wstring& line);
