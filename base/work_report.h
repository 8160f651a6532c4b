// How work below the window (package preparation, scripts) tells the user what
// it is doing without knowing the window: the window side sets the receivers
// once, and until it has, reports go nowhere.
#pragma once

#include <atomic>
#include <string>

enum class WorkText { LogLine, Status, Step };

using WorkTextReceiver = void (*)(WorkText kind, const std::wstring& text);
using WorkProgressReceiver = void (*)(int percent);
using WorkPhaseReceiver = void (*)(bool downloading);

void SetWorkReceivers(WorkTextReceiver text, WorkProgressReceiver progress, WorkPhaseReceiver phase);

void ReportLogLine(const std::wstring& line);
void ReportStatus(const std::wstring& text);
void ReportStep(const std::wstring& text);
// Percent of the progress bar, 0..100, or kProgressUnknown.
inline constexpr int kProgressUnknown = -1000;  // a download of unknown length: the bar only runs
void ReportProgress(int percent);
// A package download begins (it may be cancelled) or ends.
void ReportDownloading(bool downloading);

// The window's word back: the user asked to stop the package download. Set
// on the window thread, read by the download; cleared as an operation starts.
void RequestDownloadCancel();
void ClearDownloadCancel();
const std::atomic<bool>& DownloadCancelRequest();
