// How work below the window (package preparation, scripts) tells the user what
// it is doing without knowing the window: the window side sets the receivers
// once, and until it has, reports go nowhere.
#pragma once

#include <string>

enum class WorkText { LogLine, Status, Step };

using WorkTextReceiver = void (*)(WorkText kind, const std::wstring& text);
using WorkProgressReceiver = void (*)(int percent);

void SetWorkReceivers(WorkTextReceiver text, WorkProgressReceiver progress);

void ReportLogLine(const std::wstring& line);
void ReportStatus(const std::wstring& text);
void ReportStep(const std::wstring& text);
// Percent of the progress bar, 0..100.
void ReportProgress(int percent);
