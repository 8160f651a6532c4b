// Runs the real main dialog procedure modally on the test's thread while a
// script drives it from a second thread, the way the worker does.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

class DialogScript {
 public:
  explicit DialogScript(HWND dialog) : dialog_(dialog) {}
  HWND dialog() const { return dialog_; }
  HWND Control(int id) const { return ::GetDlgItem(dialog_, id); }

  // Runs the function on the window thread after every message this thread
  // posted before has been handled, and waits for it.
  void OnWindowThread(const std::function<void()>& function) const;

  // A message box the window thread shows, or null after the timeout.
  HWND WaitForMessageBox(DWORD timeoutMs = 10000) const;
  // Every message box the window thread shows now.
  std::vector<HWND> MessageBoxes() const;

 private:
  HWND dialog_;
};

// While held, the dialog's automatic install request is counted instead of
// starting an operation inside the test process.
void HoldInstallRequests(bool hold);
int HeldInstallRequests();

// Starts the dialog, runs the script on a second thread, and returns the
// dialog's end code. A dialog the script leaves open is closed as a user would.
INT_PTR RunMainDialog(const std::function<void(DialogScript&)>& script);
