#include "app/window_posting.h"

#include <atomic>
#include <memory>

#include "base/user_messages.h"
#include "base/work_report.h"

namespace {

std::atomic<HWND> g_mainWindow{nullptr};

// A window's queue holds a limited number of posted messages. Background
// threads wait for room instead of dropping a line or the completion; the
// window thread itself cannot wait for its own queue, so it posts once.
bool PostWithRetry(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool mayWait = ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId();
  while (!::PostMessageW(window, message, wParam, lParam)) {
    if (!mayWait || !::IsWindow(window)) return false;
    ::Sleep(5);
  }
  return true;
}

// The message owns the object once the post succeeds; on failure it stays with
// the unique_ptr and is freed here.
template <typename T>
bool PostOwned(HWND window, UINT message, std::unique_ptr<T> object) {
  if (!PostWithRetry(window, message, 0, reinterpret_cast<LPARAM>(object.get()))) return false;
  object.release();
  return true;
}

void PostWorkText(WorkText kind, const std::wstring& text) {
  switch (kind) {
    case WorkText::LogLine:
      PostText(WM_APP_LOG_LINE, text);
      break;
    case WorkText::Status:
      PostText(WM_APP_STATUS_TEXT, text);
      break;
    case WorkText::Step:
      PostText(WM_APP_STEP_TEXT, text);
      break;
  }
}

void PostDownloading(bool downloading) {
  HWND window = MainWindowHandle();
  if (window != nullptr) PostWithRetry(window, WM_APP_DOWNLOADING, downloading ? 1 : 0, 0);
}

}  // namespace

HWND MainWindowHandle() { return g_mainWindow.load(std::memory_order_acquire); }

void SetMainWindowHandle(HWND window) {
  g_mainWindow.store(window, std::memory_order_release);
  SetMessageOwner(window);
  SetWorkReceivers(PostWorkText, PostProgress, PostDownloading);
}

void PostText(UINT message, const std::wstring& text) {
  HWND window = MainWindowHandle();
  if (window == nullptr) return;
  PostOwned(window, message, std::make_unique<std::wstring>(text));
}

void PostProgress(int percent) {
  HWND window = MainWindowHandle();
  if (window == nullptr) return;
  PostWithRetry(window, WM_APP_PROGRESS, static_cast<WPARAM>(static_cast<LONG_PTR>(percent)), 0);
}

bool PostOperationResult(const OperationResult& result) {
  HWND window = MainWindowHandle();
  if (window == nullptr) return false;
  return PostOwned(window, WM_APP_OPERATION_DONE, std::make_unique<OperationResult>(result));
}
