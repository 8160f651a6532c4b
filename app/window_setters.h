// Window-thread operations that change what the main dialog shows. Each is a
// no-op when its control does not exist.
#pragma once

#include <string>
#include <vector>

// Moves the progress bar: clamped to 0..100, forward-only within an operation,
// 0 always resets.
void SetProgress(int percent);

// Set the status line (202) or the step line (203) when the text differs.
void SetStatusText(const std::wstring& text);
void SetStepText(const std::wstring& text);

// Appends one line to the log pane; trailing CR and LF of the line are dropped
// and exactly one line end is added.
void AppendLog(const std::wstring& line);

// The same for several lines in one insertion, which keeps a long log fast.
void AppendLogLines(const std::vector<std::wstring>& lines);

// Empties the log pane.
void ClearLog();

// An operation starts: the bar goes back to 0 whatever it showed.
void ResetProgressForStart();

// An operation succeeded: the bar is filled unless it already is.
void CompleteProgress();

// Records busy and disables the close, install and remove buttons while true.
void SetBusy(bool busy);

// Handles every queued message without waiting, except an operation's
// completion, which is left for the dialog's own loop.
void PumpMessages();

// Shows the main window if hidden, brings it forward and drains the queue.
void BringToFront();

// Detects the state, sets the status and step lines by it, lays out the
// buttons and, unless an operation runs, gives the focus to the install button.
void RefreshStatus();

// The pure part of SetProgress: the position to move to, or -1 to stay.
int NextProgressPosition(int current, int requested);

// The bar runs without a position (a download of unknown length), or stops.
void SetProgressMarquee(bool running);
