#include "unit/dialog_harness.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/main_dialog.h"
#include "app/window_messages.h"
#include "app/window_posting.h"
#include "app/window_setters.h"
#include "base/win_handle.h"
#include "res/resource_ids.h"
#include "support/setup_driver.h"
#include "ui/main_window_state.h"

namespace {

// Test-only message: lParam is a WindowTask to run on the window thread.
constexpr UINT kRunTask = WM_APP + 200;

struct WindowTask {
  std::function<void()> function;
  UniqueHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

bool g_holdInstallRequests = false;
int g_heldInstallRequests = 0;

INT_PTR CALLBACK HarnessProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP_REQUEST_INSTALL && g_holdInstallRequests) {
    ++g_heldInstallRequests;
    return TRUE;
  }
  if (message == kRunTask) {
    auto* task = reinterpret_cast<WindowTask*>(lParam);
    task->function();
    ::SetEvent(task->done.get());
    return TRUE;
  }
  return MainDialogProc(dialog, message, wParam, lParam);
}

// The other dialogs of the window's thread, counted from their creation on.
WindowFilter BoxesOf(HWND dialog) {
  return DialogsOfThread(::GetWindowThreadProcessId(dialog, nullptr), false, dialog);
}

}  // namespace

void HoldInstallRequests(bool hold) {
  g_holdInstallRequests = hold;
  g_heldInstallRequests = 0;
}

int HeldInstallRequests() { return g_heldInstallRequests; }

namespace {

// False when the dialog ended (or hung) before the task ran.
bool RunOnWindowThread(HWND dialog, const std::function<void()>& function) {
  WindowTask task{function};
  if (!::PostMessageW(dialog, kRunTask, 0, reinterpret_cast<LPARAM>(&task))) return false;
  // A dialog that ends first drops the task; do not wait for it then.
  for (int waited = 0; waited < 30000 && ::IsWindow(dialog); waited += 20) {
    if (::WaitForSingleObject(task.done.get(), 20) == WAIT_OBJECT_0) return true;
  }
  return ::WaitForSingleObject(task.done.get(), 0) == WAIT_OBJECT_0;
}

}  // namespace

void DialogScript::OnWindowThread(const std::function<void()>& function) const {
  // The checks a dropped task holds never ran: that is no pass.
  if (!RunOnWindowThread(dialog_, function)) ADD_FAILURE() << "the dialog ended before the task on its thread ran";
}

std::vector<HWND> DialogScript::MessageBoxes() const { return FindTopWindows(BoxesOf(dialog_)); }

HWND DialogScript::WaitForMessageBox(DWORD timeoutMs) const { return WaitForTopWindow(BoxesOf(dialog_), timeoutMs); }

INT_PTR RunMainDialog(const std::function<void(DialogScript&)>& script) {
  SetMainWindowHandle(nullptr);
  bool scriptRan = false;
  std::thread driver([&script, &scriptRan] {
    HWND dialog = nullptr;
    for (int i = 0; i < 1000 && dialog == nullptr; ++i) {
      dialog = MainWindowHandle();
      if (dialog == nullptr) ::Sleep(10);
    }
    if (dialog == nullptr) return;
    DialogScript session(dialog);
    // Scripts start after the initialisation and what it posted to itself.
    session.OnWindowThread([] {});
    scriptRan = true;
    script(session);
    // Whatever the script left open is closed, busy or not.
    if (::IsWindow(dialog)) {
      RunOnWindowThread(dialog, [] { SetBusy(false); });
      ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    }
  });
  const INT_PTR result =
      ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, HarnessProc, 0);
  driver.join();
  // A test whose dialog never came up has checked nothing.
  if (!scriptRan) ADD_FAILURE() << "the main dialog did not start (result " << result << ")";
  return result;
}
