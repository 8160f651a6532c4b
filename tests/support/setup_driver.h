// Drives a real Setup.exe from the outside, as a user would: starts it, finds
// its windows, reads and clicks controls, answers message boxes and collects
// the exit code. The window search serves dialogs inside a test program too.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/win_handle.h"
#include "support/window_text.h"

// Which top-level windows a search takes: Setup's main dialog, its message
// boxes, or any window a process shows.
struct WindowFilter {
  std::optional<DWORD> processId;  // none: any process
  std::optional<DWORD> threadId;   // none: any thread
  bool dialogsOnly = true;         // the system dialog class: dialogs and message boxes
  bool visibleOnly = true;
  HWND exclude = nullptr;  // e.g. the main dialog, when looking for its boxes
};

// Visible dialogs of a process: its main dialog and its message boxes.
inline WindowFilter DialogsOfProcess(DWORD processId, HWND exclude = nullptr) {
  return {processId, std::nullopt, true, true, exclude};
}
// Dialogs of one thread; with `shownOnly` false also those not shown yet.
inline WindowFilter DialogsOfThread(DWORD threadId, bool shownOnly = true, HWND exclude = nullptr) {
  return {std::nullopt, threadId, true, shownOnly, exclude};
}
// Any visible window of a process, of whatever kind.
inline WindowFilter WindowsOfProcess(DWORD processId) { return {processId, std::nullopt, false, true, nullptr}; }

// Starts `program` with the whole `commandLine` in `folder` (the program's own
// when empty). Every process a test starts goes through here: Wine now and then
// fails a start with an internal error that a second try does not meet.
bool StartProcess(const std::wstring& program, std::wstring commandLine, const std::wstring& folder,
                  UniqueProcessInformation* started, std::wstring* error);

// The id of a running process whose image is `program`, or 0.
DWORD FindProcessOf(const std::wstring& program);

// The matching top-level windows now, in the system's order (topmost first).
std::vector<HWND> FindTopWindows(const WindowFilter& filter);

// The first matching window, polled for until the timeout; null if none came.
HWND WaitForTopWindow(const WindowFilter& filter, DWORD timeoutMs);

struct MessageBoxView {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
  std::vector<std::wstring> buttons;
};

class SetupProcess {
 public:
  // Starts `program` with the arguments in `workingFolder` (its own folder when
  // empty). Environment changes made by the caller are inherited.
  bool Start(const std::wstring& program, const std::wstring& arguments, std::wstring* error,
             const std::wstring& workingFolder = L"");
  ~SetupProcess();

  // Takes over a process someone else started from `program` (full path), once
  // one is running; false when none appears before the timeout.
  bool AttachToRunning(const std::wstring& program, DWORD timeoutMs = 20000);

  // The command line the process was started with, as the system keeps it.
  std::wstring CommandLine() const;

  DWORD processId() const { return process_.processId; }

  // The visible main dialog of the process, or null after the timeout.
  HWND WaitForMainDialog(DWORD timeoutMs = 20000);
  HWND mainDialog() const { return mainDialog_; }

  // Start() and then WaitForMainDialog(): the way nearly every run begins.
  bool StartToMainDialog(const std::wstring& program, const std::wstring& arguments, std::wstring* error,
                         DWORD timeoutMs = 20000);
  // Closes the main dialog as its close box does; the exit code as WaitForExit gives it.
  std::optional<DWORD> CloseMainDialog(DWORD timeoutMs = 20000) const;

  std::wstring ControlText(int id) const;
  RECT ControlRect(int id) const;  // in the dialog's client coordinates
  SIZE ClientSize() const;
  int WindowHeight() const;
  bool IsControlVisible(int id) const;
  bool IsControlEnabled(int id) const;
  void Click(int id) const;                        // BM_CLICK, posted
  void PressKey(int controlId, WPARAM key) const;  // key down and up, posted to the control
  // The same to the control that has the keyboard focus, as a keyboard would.
  void PressKey(WPARAM key) const;
  // Alt and the letter, to the control that has the focus.
  void PressAccessKey(wchar_t letter) const;
  // The control of the main dialog that has the keyboard focus; 0 for none.
  int FocusedControlId() const;
  void PostToDialog(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  // A message box (or other dialog) of the process other than the main one.
  std::optional<MessageBoxView> WaitForMessageBox(DWORD timeoutMs = 20000) const;
  void Answer(const MessageBoxView& box, int buttonId) const;
  // The id of the box's default button.
  int DefaultButton(const MessageBoxView& box) const;

  // The exit code, or nothing when the process is still running after the timeout.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = 20000) const;
  // The same, noting meanwhile whether any window of the process was seen.
  std::optional<DWORD> WaitForExitWatchingWindows(DWORD timeoutMs, bool* windowShown) const;
  void Kill() const;

 private:
  UniqueProcessInformation process_;
  HWND mainDialog_ = nullptr;
};

// Polls the condition every 20 ms; false when it still fails at the timeout.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 10000) {
  for (DWORD waited = 0;; waited += 20) {
    if (condition()) return true;
    if (waited >= timeoutMs) return false;
    ::Sleep(20);
  }
}

// The folder of the running test program.
std::wstring TestProgramFolder();

// The Setup.exe of this build, beside the test programs.
std::wstring BuiltSetupExe();
