#include "app/window_setters.h"

#include <windows.h>
#include <commctrl.h>

#include "app/window_messages.h"
#include "app/window_posting.h"
#include "base/run_log.h"
#include "base/text_helpers.h"
#include "base/work_report.h"
#include "ops/install_state.h"
#include "ui/accessibility.h"
#include "ui/focus_keeping.h"
#include "ui/main_window_state.h"
#include "ui/status_area.h"

namespace {

// The completion stays queued for the dialog's own loop: run inside the
// handler that drains, it would be followed by that handler's older updates.
bool TakeMessageExceptCompletion(MSG* message) {
  return ::PeekMessageW(message, nullptr, 0, WM_APP_OPERATION_DONE - 1, PM_REMOVE) ||
         ::PeekMessageW(message, nullptr, WM_APP_OPERATION_DONE + 1, ~0u, PM_REMOVE);
}

// While busy, a setter that changed something drains the queue at most every
// 33 ms, so the window keeps painting and reacting under a flood of messages.
void ApplyDrainRule() {
  MainWindowState& state = MainState();
  if (!state.busy) return;
  const DWORD now = ::GetTickCount();
  if (now - state.lastPumpTick > 32) {
    state.lastPumpTick = now;
    PumpMessages();
  }
}

// True when the text changed.
bool SetLineText(HWND control, const std::wstring& text) {
  if (control == nullptr || text.empty()) return false;
  wchar_t current[512] = {};
  ::GetWindowTextW(control, current, 512);
  if (text == current) return false;
  ::SetWindowTextW(control, text.c_str());
  AnnounceLiveChange(control);
  ApplyDrainRule();
  return true;
}

}  // namespace

int NextProgressPosition(int current, int requested) {
  int next = requested < 0 ? 0 : (requested > 100 ? 100 : requested);
  if (next > 0 && next < current) return -1;
  if (next == current && next != 0) return -1;
  return next;
}

void SetProgressMarquee(bool running) {
  HWND progress = MainState().controls.progress;
  if (progress == nullptr) return;
  const LONG_PTR style = ::GetWindowLongPtrW(progress, GWL_STYLE);
  if (((style & PBS_MARQUEE) != 0) == running) return;
  ::SetWindowLongPtrW(progress, GWL_STYLE, running ? style | PBS_MARQUEE : style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
  ::SendMessageW(progress, PBM_SETMARQUEE, running ? TRUE : FALSE, 30);
}

void SetProgress(int percent) {
  MainWindowState& state = MainState();
  if (state.controls.progress == nullptr) return;
  // Without a known whole, the bar only shows that something is happening.
  SetProgressMarquee(percent == kProgressUnknown);
  if (percent == kProgressUnknown) return;
  const int next = NextProgressPosition(state.currentProgress, percent);
  if (next < 0) return;
  state.currentProgress = next;
  ::SendMessageW(state.controls.progress, PBM_SETPOS, static_cast<WPARAM>(next), 0);
  ApplyDrainRule();
}

void ResetProgressForStart() {
  MainWindowState& state = MainState();
  state.currentProgress = -1;
  if (state.controls.progress == nullptr) return;
  state.currentProgress = 0;
  ::SendMessageW(state.controls.progress, PBM_SETPOS, 0, 0);
  ApplyDrainRule();
}

void CompleteProgress() {
  MainWindowState& state = MainState();
  if (state.controls.progress == nullptr || state.currentProgress > 99) return;
  state.currentProgress = 100;
  ::SendMessageW(state.controls.progress, PBM_SETPOS, 100, 0);
}

void SetStatusText(const std::wstring& text) {
  if (SetLineText(MainState().controls.statusLine, text)) WriteRunLog(L"[상태] " + text);
}

void SetStepText(const std::wstring& text) { SetLineText(MainState().controls.stepLine, text); }

void AppendLog(const std::wstring& line) { AppendLogLines({line}); }

void AppendLogLines(const std::vector<std::wstring>& lines) {
  for (const std::wstring& line : lines) WriteRunLog(line);
  const MainWindowState& state = MainState();
  HWND log = state.controls.logPane;
  if (log == nullptr || lines.empty()) return;

  std::wstring text;
  for (const std::wstring& line : lines) {
    text += WithoutLineEnd(line);
    text += L"\r\n";
  }
  ::SendMessageW(log, WM_SETREDRAW, FALSE, 0);
  const int end = ::GetWindowTextLengthW(log);
  ::SendMessageW(log, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
  ::SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  if (state.logExpanded) ::SendMessageW(log, EM_SCROLLCARET, 0, 0);
  ::SendMessageW(log, WM_SETREDRAW, TRUE, 0);
  // Turning redrawing back on makes the window visible again, so a collapsed
  // pane is hidden once more.
  if (state.logExpanded) {
    ::InvalidateRect(log, nullptr, FALSE);
  } else {
    ::ShowWindow(log, SW_HIDE);
  }
}

void ClearLog() {
  const MainWindowState& state = MainState();
  HWND log = state.controls.logPane;
  if (log == nullptr) return;
  ::SendMessageW(log, WM_SETREDRAW, FALSE, 0);
  ::SetWindowTextW(log, L"");
  ::SendMessageW(log, WM_SETREDRAW, TRUE, 0);
  if (state.logExpanded) ::InvalidateRect(log, nullptr, FALSE);
}

void SetBusy(bool busy) {
  MainWindowState& state = MainState();
  state.busy = busy;
  const std::initializer_list<HWND> buttons = {state.controls.close, state.controls.install, state.controls.remove};
  // The keyboard must never be left on a control that cannot take it.
  if (busy) MoveFocusOffControls(state.dialog, buttons);
  for (HWND button : buttons) {
    if (button == nullptr) continue;
    ::EnableWindow(button, busy ? FALSE : TRUE);
    ::InvalidateRect(button, nullptr, FALSE);
  }
  UpdateDefaultButton();
}

void PumpMessages() {
  MSG message;
  while (TakeMessageExceptCompletion(&message)) {
    if (message.message == WM_QUIT) {
      // Leave it for the loop that owns the thread.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    HWND dialog = MainWindowHandle();
    if (dialog != nullptr && ::IsDialogMessageW(dialog, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void RefreshStatus() {
  const StatusTexts texts = StatusTextsFor(DetectInstallState());
  SetStatusText(texts.status);
  SetStepText(texts.step);
  ArrangeStatusArea();
}

void BringToFront() {
  HWND window = MainWindowHandle();
  if (window == nullptr) return;
  if (!::IsWindowVisible(window)) ::ShowWindow(window, SW_SHOWNORMAL);
  ::SetForegroundWindow(window);
  PumpMessages();
}
