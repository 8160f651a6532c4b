#include "base/work_report.h"

#include <atomic>

namespace {

// Set on the window thread, read by workers: atomics, so a receiver set before
// a worker starts is the one it sees.
std::atomic<WorkTextReceiver> g_text{nullptr};
std::atomic<WorkProgressReceiver> g_progress{nullptr};
std::atomic<WorkPhaseReceiver> g_phase{nullptr};
std::atomic<bool> g_cancel{false};

void Report(WorkText kind, const std::wstring& text) {
  if (const WorkTextReceiver receiver = g_text.load(std::memory_order_acquire)) receiver(kind, text);
}

}  // namespace

void SetWorkReceivers(WorkTextReceiver text, WorkProgressReceiver progress, WorkPhaseReceiver phase) {
  g_text.store(text, std::memory_order_release);
  g_progress.store(progress, std::memory_order_release);
  g_phase.store(phase, std::memory_order_release);
}

void ReportDownloading(bool downloading) {
  if (const WorkPhaseReceiver receiver = g_phase.load(std::memory_order_acquire)) receiver(downloading);
}

void RequestDownloadCancel() { g_cancel.store(true); }
void ClearDownloadCancel() { g_cancel.store(false); }
const std::atomic<bool>& DownloadCancelRequest() { return g_cancel; }

void ReportLogLine(const std::wstring& line) { Report(WorkText::LogLine, line); }

void ReportStatus(const std::wstring& text) { Report(WorkText::Status, text); }

void ReportStep(const std::wstring& text) { Report(WorkText::Step, text); }

void ReportProgress(int percent) {
  if (const WorkProgressReceiver receiver = g_progress.load(std::memory_order_acquire)) receiver(percent);
}
