#include "app/window_posting.h"

#include <memory>

#include "app/main_window_state.h"

namespace {

// The message owns the object once the post succeeds; on failure it stays with
// the unique_ptr and is freed here.
template <typename T>
bool PostOwned(HWND window, UINT message, std::unique_ptr<T> object) {
  if (!::PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(object.get()))) return false;
  object.release();
  return true;
}

}  // namespace

void PostText(UINT message, const std::wstring& text) {
  HWND window = MainWindowHandle();
  if (window == nullptr) return;
  PostOwned(window, message, std::make_unique<std::wstring>(text));
}

void PostProgress(int percent) {
  HWND window = MainWindowHandle();
  if (window == nullptr) return;
  ::PostMessageW(window, WM_APP_PROGRESS, static_cast<WPARAM>(static_cast<LONG_PTR>(percent)), 0);
}

bool PostOperationResult(const OperationResult& result) {
  HWND window = MainWindowHandle();
  if (window == nullptr) return false;
  return PostOwned(window, WM_APP_OPERATION_DONE, std::make_unique<OperationResult>(result));
}
