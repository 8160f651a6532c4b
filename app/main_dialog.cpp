#include "app/main_dialog.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/launch_options.h"
#include "app/operation_lifecycle.h"
#include "app/self_update_check.h"
#include "app/unattended_run.h"
#include "app/window_messages.h"
#include "app/window_posting.h"
#include "app/window_setters.h"
#include "base/setup_version.h"
#include "base/user_messages.h"
#include "ops/progress_steps.h"
#include "ops/setup_lock.h"
#include "res/resource_ids.h"
#include "ui/accessibility.h"
#include "ui/control_colors.h"
#include "ui/focus_keeping.h"
#include "ui/layout_zoom.h"
#include "ui/main_layout.h"
#include "ui/main_window_look.h"
#include "ui/main_window_state.h"
#include "ui/notices_dialog.h"
#include "ui/owner_drawing.h"
#include "ui/status_area.h"

namespace {

void LookUpControls(HWND dialog) {
  MainWindowControls& controls = MainState().controls;
  controls.statusLine = ::GetDlgItem(dialog, IDC_STATUS_LINE);
  controls.stepLine = ::GetDlgItem(dialog, IDC_STEP_LINE);
  controls.progress = ::GetDlgItem(dialog, IDC_PROGRESS);
  controls.logPane = ::GetDlgItem(dialog, IDC_LOG_PANE);
  controls.logToggle = ::GetDlgItem(dialog, IDC_LOG_TOGGLE);
  controls.install = ::GetDlgItem(dialog, IDC_INSTALL);
  controls.remove = ::GetDlgItem(dialog, IDC_REMOVE);
  controls.notices = ::GetDlgItem(dialog, IDC_NOTICES);
  controls.close = ::GetDlgItem(dialog, IDC_CLOSE);
  controls.card = ::GetDlgItem(dialog, IDC_CARD);
}

void AppendStartupLog() {
  AppendLog(std::wstring(L"Orlinth Setup ") + kSetupVersion);
  AppendLog(L"• 이미 설치된 경우 [업데이트]로 파일을 덮어쓰고, [삭제]로 제거할 수 있습니다.");
  AppendLog(L"• 관리자 권한(UAC)이 필요합니다.");
  AppendLog(L"• 설치 패키지는 서버에서 받아 파일만 교체합니다 (로컬 폴더/내장 패키지 폴백 지원).");
  AppendLog(L"• 진행 상황은 위 진행률과 단계 문구로 표시됩니다.");
  if (CurrentLaunchOptions().autoUpdate) AppendLog(L"• /update : 자동 업데이트를 시작합니다.");
}

BOOL OnInitDialog(HWND dialog) {
  MainState() = MainWindowState{};  // every dialog starts idle, collapsed, at 0 %
  MainState().dialog = dialog;
  SetMainWindowHandle(dialog);
  LookUpControls(dialog);
  // An edit control takes only about 30,000 characters by default; a long
  // script log must not be cut off.
  ::SendMessageW(MainState().controls.logPane, EM_SETLIMITTEXT, 0, 0);

  ApplyMainWindowLook(dialog);
  AnnotateMainDialog(MainState().controls.statusLine, MainState().controls.stepLine, MainState().controls.logPane);
  SetInitialCaptions(dialog);
  SetStatusText(L"설치 상태를 확인하는 중...");
  SetStepText(L"대기 중");
  AppendStartupLog();

  RecordDesign(dialog);
  ApplyZoom(dialog, LayoutDpi());
  RefreshStatus();
  UpdateDefaultButton();
  ::SendMessageW(MainState().controls.logPane, EM_SETSEL, static_cast<WPARAM>(-1), 0);

  // Posted, so the automatic request runs only once the dialog is on screen.
  if (IsUnattended(CurrentLaunchOptions())) {
    BeginUnattendedRun(dialog);
  } else if (CurrentLaunchOptions().autoUpdate) {
    PostCommandLineRequest(dialog, kOperationInstall);
  } else if (CurrentLaunchOptions().uninstall) {
    // The removal asked for on the command line: its question comes as soon as the window is free.
    PostCommandLineRequest(dialog, kOperationUninstall);
  }
  return FALSE;  // the focus has been placed already
}

// Moved to a monitor of another DPI: laid out again for it, where the system
// suggests.
void OnDpiChanged(HWND dialog, UINT dpi, const RECT* suggested) {
  if (suggested != nullptr) {
    ::SetWindowPos(dialog, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ApplyZoom(dialog, dpi == 0 ? LayoutDpi() : dpi);
}

// Close button, Esc and the close box. Nothing closes while an operation runs,
// because a running script cannot be cancelled.
void OnCloseRequest(HWND dialog, bool closeButton) {
  if (MainState().downloading) {
    // The button says what it does; the close box asks first.
    if (closeButton || AskYesNo(L"설치 패키지 다운로드를 멈출까요?\n받은 부분은 다음에 이어서 받습니다.",
                                MB_YESNO | MB_ICONQUESTION)) {
      CancelDownload();
    }
    return;
  }
  if (MainState().busy) return;
  DeleteSetupLock();
  ::EndDialog(dialog, 0);
}

BOOL OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDC_INSTALL:
      RequestOperation(kOperationInstall);  // refused while busy
      return TRUE;
    case IDC_REMOVE:
      RequestOperation(kOperationUninstall);
      return TRUE;
    case IDC_LOG_TOGGLE:
      SetLogExpanded(!MainState().logExpanded);
      return TRUE;
    case IDC_NOTICES:
      ShowNoticesDialog(dialog);
      return TRUE;
    case IDC_CLOSE:
    case IDCANCEL:
      OnCloseRequest(dialog, id == IDC_CLOSE);
      return TRUE;
    default:
      return FALSE;
  }
}

// Posted strings and records belong to the message: taken over here so that
// they are freed whatever happens while handling them.
template <typename T>
std::unique_ptr<T> TakeOwned(LPARAM lParam) {
  return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
}

// A script can print far faster than an edit control takes single lines, so
// the log lines queued right behind this one join it in one insertion. Only an
// unbroken run is taken, so every message is still handled in posted order.
std::vector<std::wstring> TakeQueuedLogLines(HWND dialog, std::wstring first) {
  constexpr size_t kMostLinesAtOnce = 2000;
  std::vector<std::wstring> lines;
  lines.push_back(std::move(first));
  MSG next;
  while (lines.size() < kMostLinesAtOnce && ::PeekMessageW(&next, dialog, 0, 0, PM_NOREMOVE | PM_NOYIELD) &&
         next.message == WM_APP_LOG_LINE) {
    ::PeekMessageW(&next, dialog, WM_APP_LOG_LINE, WM_APP_LOG_LINE, PM_REMOVE | PM_NOYIELD);
    if (auto line = TakeOwned<std::wstring>(next.lParam)) lines.push_back(std::move(*line));
  }
  return lines;
}

// The batch's step is set once, after all of its lines: a setter may handle
// later lines inside it, and nothing of this batch may follow those.
void OnLogLine(HWND dialog, std::wstring first) {
  const std::vector<std::wstring> lines = TakeQueuedLogLines(dialog, std::move(first));
  AppendLogLines(lines);
  const ProgressStep* lastStep = nullptr;
  int highestPercent = 0;
  for (const std::wstring& line : lines) {
    if (const ProgressStep* step = FindProgressStep(MainState().currentOperationKind, line)) {
      lastStep = step;
      highestPercent = std::max(highestPercent, step->percent);
    }
  }
  if (lastStep == nullptr) return;
  SetStepText(lastStep->caption);
  SetProgress(highestPercent);  // the bar only moves forward, so the highest is where it ends
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
      OnCloseRequest(dialog, false);
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      ::BeginPaint(dialog, &paint);
      ::EndPaint(dialog, &paint);
      if (!MainState().painted) {
        MainState().painted = true;
        // Asked once the window is on screen, so that no server holds it back.
        StartSelfUpdateCheck(dialog);
      }
      return TRUE;
    }
    case WM_ERASEBKGND:
      EraseMainDialog(dialog, reinterpret_cast<HDC>(wParam));
      ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);  // erased
      return TRUE;
    case WM_DRAWITEM:
      return DrawMainDialogItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(
          MainDialogControlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_WINDOWPOSCHANGING:
      KeepHiddenWhenQuiet(reinterpret_cast<WINDOWPOS*>(lParam));
      return FALSE;
    case WM_SETTINGCHANGE:
      // The text size or the system's fonts may have changed too.
      RefreshMainWindowLook(dialog);
      ApplyZoom(dialog, LayoutDpi());
      return FALSE;  // the dialog's own handling goes on
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      RefreshMainWindowLook(dialog);
      return FALSE;
    case WM_DPICHANGED:
      OnDpiChanged(dialog, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return TRUE;
    case WM_APP_START_OPERATION:
      StartOperation(static_cast<OperationKind>(wParam));
      FinishUnattendedRunIfDone(dialog);
      return TRUE;
    case WM_APP_REQUEST_INSTALL:  // wParam: the kind, an install unless it says otherwise
      RequestOperation(wParam == kOperationUninstall ? kOperationUninstall : kOperationInstall);
      FinishUnattendedRunIfDone(dialog);
      return TRUE;
    case WM_APP_LOG_LINE:
      if (auto line = TakeOwned<std::wstring>(lParam)) OnLogLine(dialog, std::move(*line));
      return TRUE;
    case WM_APP_STATUS_TEXT:
      if (auto text = TakeOwned<std::wstring>(lParam)) SetStatusText(*text);
      return TRUE;
    case WM_APP_STEP_TEXT:
      if (auto text = TakeOwned<std::wstring>(lParam)) SetStepText(*text);
      return TRUE;
    case WM_APP_DOWNLOADING:
      SetDownloadCancellable(wParam != 0);
      return TRUE;
    case WM_APP_PROGRESS:
      SetProgress(static_cast<std::int32_t>(wParam));
      return TRUE;
    case WM_APP_NEWER_SETUP:
      if (auto manifest = TakeOwned<ReleaseManifest>(lParam)) OnNewerSetup(dialog, *manifest);
      return TRUE;
    case WM_APP_SELF_UPDATE_FAILED:
      if (auto failure = TakeOwned<std::wstring>(lParam)) OnSelfUpdateFailed(dialog, *failure);
      return TRUE;
    case WM_APP_NO_NEWER_SETUP:
      OnNoNewerSetup(dialog);
      return TRUE;
    case WM_APP_OPERATION_DONE:
      if (auto done = TakeOwned<OperationResult>(lParam)) {
        CompleteOperation(*done);
        FinishUnattendedRunIfDone(dialog);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  // Nothing may unwind through the system's dialog code.
  try {
    return HandleMessage(dialog, message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}
