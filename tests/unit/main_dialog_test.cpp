// The main dialog's message protocol, driven the way background code drives it:
// posts from a second thread, checked on the window thread.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "app/launch_options.h"
#include "app/main_dialog.h"
#include "app/operation_lifecycle.h"
#include "app/window_posting.h"
#include "app/window_setters.h"
#include "ops/install_state.h"
#include "res/resource_ids.h"
#include "support/expected_texts.h"
#include "support/machine_paths.h"
#include "support/product_state.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"
#include "support/window_text.h"
#include "ui/main_window_state.h"
#include "ui/status_area.h"
#include "unit/dialog_harness.h"

namespace {

int ProgressPosition(const DialogScript& script) {
  return static_cast<int>(::SendMessageW(script.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0));
}

// Shown or hidden as the program set it, whether or not the dialog itself is
// on screen yet.
bool IsShown(HWND control) { return (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

void PostEscape(const DialogScript& script) { ::PostMessageW(script.Control(IDC_INSTALL), WM_KEYDOWN, VK_ESCAPE, 0); }

class MainDialogTest : public testing::Test {
 protected:
  void SetUp() override { SetLaunchOptions({}); }
  void TearDown() override { SetLaunchOptions({}); }
};

TEST_F(MainDialogTest, StartsWithTitleTextsAndStartupLog) {
  const INT_PTR result = RunMainDialog([](DialogScript& script) {
    script.OnWindowThread([&] {
      EXPECT_EQ(WindowTextOf(script.dialog()), L"Orlinth Setup (일본어)");
      EXPECT_EQ(WindowTextOf(script.Control(IDC_HEADER_TITLE)), L"Orlinth 일본어 설치 마법사");
      EXPECT_EQ(WindowTextOf(script.Control(IDC_LOG_PANE)), kExpectedStartupLog);
      EXPECT_EQ(WindowTextOf(script.Control(IDC_LOG_TOGGLE)), L"▶  상세 로그 펼치기(&D)");
      EXPECT_EQ(WindowTextOf(script.Control(IDC_CLOSE)), L"닫기(&C)");
      EXPECT_EQ(WindowTextOf(script.Control(IDC_NOTICES)), L"라이선스(&L)");
      EXPECT_FALSE(IsShown(script.Control(IDC_LOG_PANE)));
      EXPECT_EQ(ProgressPosition(script), 0);
      EXPECT_FALSE(MainState().busy);
    });
    ::PostMessageW(script.dialog(), WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(result, 0);
}

// Moved to a monitor at 150 %, the window is laid out again for it: larger
// fonts and gaps, and still within the test screen (1366 x 768), with the
// log collapsed and expanded.
TEST_F(MainDialogTest, ALaterDpiGrowsTheWindowWithinTheWorkArea) {
  RunMainDialog([](DialogScript& script) {
    HWND dialog = script.dialog();
    auto gap = [&] {
      RECT install{};
      RECT close{};
      ::GetWindowRect(script.Control(IDC_INSTALL), &install);
      ::GetWindowRect(script.Control(IDC_CLOSE), &close);
      return close.left - install.right;
    };
    int gapBefore = 0;
    LOGFONTW before = {};
    script.OnWindowThread([&] {
      gapBefore = gap();
      ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(script.Control(IDC_INSTALL), WM_GETFONT, 0, 0)),
                   sizeof(before), &before);
      RECT suggested{};
      ::GetWindowRect(dialog, &suggested);
      ::SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    });
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor));
    for (const bool expanded : {false, true}) {
      if (expanded) script.OnWindowThread([&] { ::SendMessageW(script.Control(IDC_LOG_TOGGLE), BM_CLICK, 0, 0); });
      script.OnWindowThread([&] {
        RECT outer{};
        ::GetWindowRect(dialog, &outer);
        const RECT& work = monitor.rcWork;
        EXPECT_TRUE(outer.left >= work.left && outer.top >= work.top && outer.right <= work.right &&
                    outer.bottom <= work.bottom)
            << (expanded ? "expanded " : "collapsed ") << outer.right - outer.left << " x " << outer.bottom - outer.top;
        EXPECT_LE(outer.right - outer.left, 1366);
        EXPECT_LE(outer.bottom - outer.top, 768);
      });
    }
    script.OnWindowThread([&] {
      LOGFONTW after = {};
      ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(script.Control(IDC_INSTALL), WM_GETFONT, 0, 0)),
                   sizeof(after), &after);
      EXPECT_GT(-after.lfHeight, -before.lfHeight);
      EXPECT_GT(gap(), gapBefore);
    });
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
}

TEST_F(MainDialogTest, UpdateSwitchAddsHintLineAndRequestsAnInstall) {
  LaunchOptions options;
  options.autoUpdate = true;
  SetLaunchOptions(options);
  HoldInstallRequests(true);
  RunMainDialog([](DialogScript& script) {
    script.OnWindowThread([&] {
      EXPECT_EQ(WindowTextOf(script.Control(IDC_LOG_PANE)), kExpectedStartupLog + kExpectedUpdateHintLine);
      EXPECT_EQ(HeldInstallRequests(), 1);
    });
  });
  HoldInstallRequests(false);
}

TEST_F(MainDialogTest, LogLinesGetExactlyOneLineEnd) {
  RunMainDialog([](DialogScript& script) {
    PostText(WM_APP_LOG_LINE, L"a\r\n\r\n");
    PostText(WM_APP_LOG_LINE, L"");
    PostText(WM_APP_LOG_LINE, L"b\n");
    PostText(WM_APP_LOG_LINE, L"c\r");
    script.OnWindowThread([&] {
      EXPECT_EQ(WindowTextOf(script.Control(IDC_LOG_PANE)), kExpectedStartupLog + L"a\r\n\r\nb\r\nc\r\n");
      // A collapsed pane stays hidden while lines arrive.
      EXPECT_FALSE(IsShown(script.Control(IDC_LOG_PANE)));
    });
  });
}

TEST_F(MainDialogTest, LogKeepsEveryLineOfALongLog) {
  RunMainDialog([](DialogScript& script) {
    const std::wstring filler(96, L'x');
    for (int i = 0; i < 1500; ++i) PostText(WM_APP_LOG_LINE, std::to_wstring(10000 + i) + filler);
    script.OnWindowThread([&] {
      const std::wstring log = WindowTextOf(script.Control(IDC_LOG_PANE));
      EXPECT_EQ(log.size(), kExpectedStartupLog.size() + 1500 * (5 + 96 + 2));
      EXPECT_NE(log.find(L"10000" + filler + L"\r\n"), std::wstring::npos);
      EXPECT_TRUE(log.ends_with(L"11499" + filler + L"\r\n"));
    });
  });
}

TEST_F(MainDialogTest, ProgressMovesForwardOnlyAndClamps) {
  RunMainDialog([](DialogScript& script) {
    auto post = [&](int percent) { ::PostMessageW(script.dialog(), WM_APP_PROGRESS, static_cast<WPARAM>(percent), 0); };
    auto expectAt = [&](int expected) {
      script.OnWindowThread([&] {
        EXPECT_EQ(ProgressPosition(script), expected);
        EXPECT_EQ(MainState().currentProgress, expected);
      });
    };
    post(40);
    post(30);
    expectAt(40);
    post(0);
    expectAt(0);
    post(150);
    expectAt(100);
    post(-5);
    expectAt(0);
  });
}

TEST_F(MainDialogTest, StatusAndStepTextsFollowPosts) {
  RunMainDialog([](DialogScript& script) {
    PostText(WM_APP_STATUS_TEXT, L"서버에서 설치 파일을 받는 중...");
    PostText(WM_APP_STEP_TEXT, L"설치 준비 중...");
    PostText(WM_APP_STEP_TEXT, L"");  // empty texts are not shown
    script.OnWindowThread([&] {
      EXPECT_EQ(WindowTextOf(script.Control(IDC_STATUS_LINE)), L"서버에서 설치 파일을 받는 중...");
      EXPECT_EQ(WindowTextOf(script.Control(IDC_STEP_LINE)), L"설치 준비 중...");
    });
  });
}

TEST_F(MainDialogTest, MarkerLinesSetStepOfTheRunningKindOnly) {
  RunMainDialog([](DialogScript& script) {
    script.OnWindowThread([] { MainState().currentOperationKind = kOperationInstall; });
    PostText(WM_APP_LOG_LINE, L"Verify registry after Install x64");
    script.OnWindowThread([&] {
      EXPECT_EQ(WindowTextOf(script.Control(IDC_STEP_LINE)), L"64비트(x64) 파일 복사 및 등록");
      EXPECT_EQ(ProgressPosition(script), 30);
      MainState().currentOperationKind = kOperationUninstall;
    });
    PostText(WM_APP_LOG_LINE, L"Installation complete");
    PostText(WM_APP_LOG_LINE, L"UNREGISTER the text service");
    script.OnWindowThread([&] {
      EXPECT_EQ(WindowTextOf(script.Control(IDC_STEP_LINE)), L"COM/TSF 등록 해제");
      EXPECT_EQ(ProgressPosition(script), 60);
    });
  });
}

TEST_F(MainDialogTest, ALaterRowWithALowerPercentOnlyChangesTheCaption) {
  RunMainDialog([](DialogScript& script) {
    PostText(WM_APP_LOG_LINE, L"Install x86");
    PostText(WM_APP_LOG_LINE, L"Install ARM64X");
    script.OnWindowThread([&] {
      EXPECT_EQ(WindowTextOf(script.Control(IDC_STEP_LINE)), L"ARM64X 파일 복사 및 등록");
      EXPECT_EQ(ProgressPosition(script), 50);
    });
  });
}

TEST_F(MainDialogTest, MessagesWithoutPayloadAreIgnored) {
  RunMainDialog([](DialogScript& script) {
    script.OnWindowThread([&] {
      HWND dialog = script.dialog();
      for (UINT message : {WM_APP_LOG_LINE, WM_APP_STATUS_TEXT, WM_APP_STEP_TEXT, WM_APP_OPERATION_DONE}) {
        EXPECT_EQ(MainDialogProc(dialog, message, 0, 0), TRUE) << message;
      }
      for (UINT unused = WM_APP + 43; unused <= WM_APP + 49; ++unused) {
        EXPECT_EQ(MainDialogProc(dialog, unused, 0, 0), FALSE) << unused;
      }
      EXPECT_EQ(WindowTextOf(script.Control(IDC_LOG_PANE)), kExpectedStartupLog);
    });
  });
}

TEST_F(MainDialogTest, BusyDisablesActionsAndSwallowsEveryWayToClose) {
  ASSERT_TRUE(PlantSetupLock());
  const INT_PTR result = RunMainDialog([](DialogScript& script) {
    script.OnWindowThread([&] {
      SetBusy(true);
      EXPECT_FALSE(::IsWindowEnabled(script.Control(IDC_CLOSE)));
      EXPECT_FALSE(::IsWindowEnabled(script.Control(IDC_INSTALL)));
      EXPECT_FALSE(::IsWindowEnabled(script.Control(IDC_REMOVE)));
      EXPECT_TRUE(::IsWindowEnabled(script.Control(IDC_LOG_TOGGLE)));
      EXPECT_TRUE(::IsWindowEnabled(script.Control(IDC_NOTICES)));
    });
    ::PostMessageW(script.dialog(), WM_CLOSE, 0, 0);
    ::PostMessageW(script.dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ::PostMessageW(script.dialog(), WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED), 0);
    PostEscape(script);
    script.OnWindowThread([&] {
      EXPECT_TRUE(::IsWindow(script.dialog()));
      EXPECT_TRUE(PathExists(ExpectedSetupLockPath()));
      SetBusy(false);
      EXPECT_TRUE(::IsWindowEnabled(script.Control(IDC_CLOSE)));
      EXPECT_TRUE(::IsWindowEnabled(script.Control(IDC_INSTALL)));
    });
    PostEscape(script);
  });
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(PathExists(ExpectedSetupLockPath()));
}

// A click queued while the first question is being asked is refused, from
// the moment that request begins until it is declined.
TEST_F(MainDialogTest, AClickQueuedDuringAQuestionAsksNothingMore) {
  CleanProductState clean;
  RunMainDialog([](DialogScript& script) {
    ::PostMessageW(script.dialog(), WM_COMMAND, MAKEWPARAM(IDC_INSTALL, BN_CLICKED), 0);
    ::PostMessageW(script.dialog(), WM_COMMAND, MAKEWPARAM(IDC_REMOVE, BN_CLICKED), 0);
    ASSERT_NE(script.WaitForMessageBox(), nullptr);
    script.OnWindowThread([] {});  // the queued click has been handled by now
    const std::vector<HWND> boxes = script.MessageBoxes();
    EXPECT_EQ(boxes.size(), 1u);
    for (HWND box : boxes) {  // the newest first, should there be more than one
      ::PostMessageW(box, WM_COMMAND, IDNO, 0);
      for (int waited = 0; waited < 5000 && ::IsWindow(box); waited += 20) ::Sleep(20);
    }
    script.OnWindowThread([&] {
      EXPECT_EQ(WindowTextOf(script.Control(IDC_STATUS_LINE)), L"설치를 취소했습니다.");
      EXPECT_FALSE(MainState().requestPending);
    });
    // Declined: the next click asks again.
    ::PostMessageW(script.dialog(), WM_COMMAND, MAKEWPARAM(IDC_REMOVE, BN_CLICKED), 0);
    HWND again = script.WaitForMessageBox();
    ASSERT_NE(again, nullptr);
    ::PostMessageW(again, WM_COMMAND, IDNO, 0);
    script.OnWindowThread([&] { EXPECT_EQ(WindowTextOf(script.Control(IDC_STATUS_LINE)), L"삭제를 취소했습니다."); });
  });
}

// Out of memory, or no thread: the window leaves busy, says so and drops the
// lock, so the user can close it or try again.
TEST_F(MainDialogTest, AStartThatFailsInAnyWayLeavesTheWindowIdle) {
  SetWorkerStarter([](WorkerRequest*) -> HANDLE { throw std::bad_alloc(); });
  ASSERT_TRUE(PlantSetupLock());
  RunMainDialog([](DialogScript& script) {
    ::PostMessageW(script.dialog(), WM_APP_START_OPERATION, kOperationInstall, 0);
    HWND box = script.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    script.OnWindowThread([&] {
      EXPECT_FALSE(MainState().busy);
      EXPECT_TRUE(::IsWindowEnabled(script.Control(IDC_CLOSE)));
      EXPECT_EQ(WindowTextOf(::GetDlgItem(box, 0xFFFF)), L"설치/삭제 작업을 시작하지 못했습니다.");
      EXPECT_TRUE(WindowTextOf(script.Control(IDC_LOG_PANE)).ends_with(L"[오류] CreateThread 실패\r\n"));
      EXPECT_FALSE(PathExists(ExpectedSetupLockPath()));
    });
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  SetWorkerStarter(nullptr);
}

TEST_F(MainDialogTest, IdleCloseButtonAndCloseBoxEndWithZero) {
  for (const bool useButton : {true, false}) {
    ASSERT_TRUE(PlantSetupLock());
    const INT_PTR result = RunMainDialog([useButton](DialogScript& script) {
      if (useButton) {
        ::PostMessageW(script.Control(IDC_CLOSE), BM_CLICK, 0, 0);
      } else {
        ::PostMessageW(script.dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(script.dialog()); }));
    });
    EXPECT_EQ(result, 0) << (useButton ? "close button" : "close box");
    EXPECT_FALSE(PathExists(ExpectedSetupLockPath()));
  }
}

TEST_F(MainDialogTest, CompletionReleasesTheWindowAndReportsTheResult) {
  RunMainDialog([](DialogScript& script) {
    script.OnWindowThread([] {
      SetBusy(true);
      MainState().currentOperationKind = kOperationUninstall;
    });
    auto* done = new OperationResult{kOperationUninstall, -1, L""};
    ASSERT_TRUE(::PostMessageW(script.dialog(), WM_APP_OPERATION_DONE, 0, reinterpret_cast<LPARAM>(done)));
    HWND box = script.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowTextOf(box), L"Orlinth Setup");
    // The message box's own loop runs the window thread meanwhile.
    script.OnWindowThread([&] {
      EXPECT_FALSE(MainState().busy);  // released before the message is shown
      EXPECT_EQ(WindowTextOf(script.Control(IDC_STEP_LINE)), L"실패");
    });
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    script.OnWindowThread([&] {
      EXPECT_FALSE(::IsWindow(box));
      EXPECT_TRUE(::IsWindowEnabled(script.Control(IDC_CLOSE)));
      EXPECT_TRUE(WindowTextOf(script.Control(IDC_LOG_PANE))
                      .ends_with(L"----------------------------------------\r\n==> 실패. 종료 코드: 4294967295\r\n"));
    });
  });
}

TEST_F(MainDialogTest, LogToggleAndNoticesWorkWhileBusy) {
  RunMainDialog([](DialogScript& script) {
    script.OnWindowThread([] { SetBusy(true); });
    ::PostMessageW(script.dialog(), WM_COMMAND, MAKEWPARAM(IDC_LOG_TOGGLE, BN_CLICKED), 0);
    script.OnWindowThread([&] {
      EXPECT_TRUE(MainState().logExpanded);
      EXPECT_TRUE(IsShown(script.Control(IDC_LOG_PANE)));
      EXPECT_EQ(WindowTextOf(script.Control(IDC_LOG_TOGGLE)), L"▼  상세 로그 접기(&D)");
    });

    ::PostMessageW(script.dialog(), WM_COMMAND, MAKEWPARAM(IDC_NOTICES, BN_CLICKED), 0);
    HWND notices = nullptr;
    for (int i = 0; i < 500 && notices == nullptr; ++i) {
      notices = ::FindWindowW(nullptr, L"오픈소스 라이선스");
      if (notices == nullptr) ::Sleep(10);
    }
    ASSERT_NE(notices, nullptr);
    EXPECT_EQ(::GetWindow(notices, GW_OWNER), script.dialog());
    EXPECT_TRUE(WindowTextOf(::GetDlgItem(notices, IDC_NOTICES_TEXT)).starts_with(L"Orlinth Setup"));
    // Worker messages still reach the main window while the notices are open.
    PostText(WM_APP_STATUS_TEXT, L"열린 동안에도");
    ::PostMessageW(notices, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 500 && ::IsWindow(notices); ++i) ::Sleep(10);
    EXPECT_FALSE(::IsWindow(notices));
    script.OnWindowThread([&] {
      EXPECT_EQ(WindowTextOf(script.Control(IDC_STATUS_LINE)), L"열린 동안에도");
      EXPECT_TRUE(MainState().busy);
    });
  });
}

// While busy, a setter that changed something handles the queued messages
// (at most every 33 ms), so the window keeps up with a flood of worker messages.
TEST_F(MainDialogTest, SettersDrainTheQueueOnlyWhileBusy) {
  RunMainDialog([](DialogScript& script) {
    script.OnWindowThread([&] {
      ::Sleep(40);
      PostText(WM_APP_LOG_LINE, L"idle line");
      SetStatusText(L"idle");
      EXPECT_FALSE(WindowTextOf(script.Control(IDC_LOG_PANE)).ends_with(L"idle line\r\n"));
    });
    script.OnWindowThread([&] {
      SetBusy(true);
      ::Sleep(40);
      PostText(WM_APP_LOG_LINE, L"busy line");
      SetStatusText(L"busy");
      EXPECT_TRUE(WindowTextOf(script.Control(IDC_LOG_PANE)).ends_with(L"busy line\r\n"));
      // An unchanged text changes nothing, so it does not drain either.
      ::Sleep(40);
      PostText(WM_APP_LOG_LINE, L"after unchanged");
      SetStatusText(L"busy");
      EXPECT_FALSE(WindowTextOf(script.Control(IDC_LOG_PANE)).ends_with(L"after unchanged\r\n"));
    });
  });
}

// A completion queued behind log lines waits until their step is set, even
// when setting it drains the queue; afterwards the lines show the new state.
TEST_F(MainDialogTest, TheCompletionComesAfterTheStepOfTheLinesBeforeIt) {
  RunMainDialog([](DialogScript& script) {
    script.OnWindowThread([&] {
      SetBusy(true);
      MainState().currentOperationKind = kOperationUninstall;
      PostText(WM_APP_LOG_LINE, L"Removed Orlinth");
      PostText(WM_APP_LOG_LINE, L"Uninstall complete");
      ::PostMessageW(script.dialog(), WM_APP_OPERATION_DONE, 0,
                     reinterpret_cast<LPARAM>(new OperationResult{kOperationUninstall, 1, L""}));
      ::Sleep(40);  // so the first setter drains
    });
    HWND box = script.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    script.OnWindowThread([&] {
      EXPECT_EQ(ProgressPosition(script), 95);
      EXPECT_EQ(WindowTextOf(script.Control(IDC_STEP_LINE)), L"실패");
    });
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    script.OnWindowThread([&] {
      EXPECT_FALSE(::IsWindow(box));
      EXPECT_EQ(WindowTextOf(script.Control(IDC_STEP_LINE)), StatusTextsFor(DetectInstallState()).step);
    });
  });
}

}  // namespace
