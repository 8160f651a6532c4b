// Setup.exe started as a user starts it: what the window shows at start and
// how it ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "build_config.h"
#include "res/resource_ids.h"
#include "support/machine_paths.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"

namespace {

std::wstring SetupExe() { return TestProgramFolder() + L"\\Setup.exe"; }

const std::wstring kStartupLog =
    std::wstring(L"Orlinth Setup ") + kSetupVersion +
    L"\r\n"
    L"• 이미 설치된 경우 [업데이트]로 파일을 덮어쓰고, [삭제]로 제거할 수 있습니다.\r\n"
    L"• 관리자 권한(UAC)이 필요합니다.\r\n"
    L"• 설치 패키지는 서버에서 받아 파일만 교체합니다 (로컬 폴더/내장 패키지 폴백 지원).\r\n"
    L"• 진행 상황은 위 진행률과 단계 문구로 표시됩니다.\r\n";

TEST(Startup, ShowsTitleAndStartupLogAndEndsWithZeroOnEscape) {
  ASSERT_TRUE(PlantSetupLock());
  SetupProcess setup;
  std::wstring error;
  ASSERT_TRUE(setup.Start(SetupExe(), L"", &error)) << error.c_str();
  ASSERT_NE(setup.WaitForMainDialog(), nullptr);

  EXPECT_EQ(WindowTextOf(setup.mainDialog()), L"Orlinth Setup (일본어)");
  EXPECT_EQ(setup.ControlText(IDC_LOG_PANE), kStartupLog);
  EXPECT_EQ(setup.ControlText(IDC_STEP_LINE), L"대기 중");
  EXPECT_EQ(setup.ControlText(IDC_CLOSE), L"닫기");
  EXPECT_EQ(setup.ControlText(IDC_NOTICES), L"라이선스");
  EXPECT_TRUE(setup.IsControlVisible(IDC_CLOSE));
  EXPECT_TRUE(setup.IsControlEnabled(IDC_INSTALL));

  setup.PressKey(IDC_INSTALL, VK_ESCAPE);
  EXPECT_EQ(setup.WaitForExit(), std::optional<DWORD>(0));
  EXPECT_FALSE(PathExists(ExpectedSetupLockPath()));
}

TEST(Startup, UpdateSwitchAddsItsLineAndCloseButtonEnds) {
  SetupProcess setup;
  std::wstring error;
  ASSERT_TRUE(setup.Start(SetupExe(), L"/update", &error)) << error.c_str();
  ASSERT_NE(setup.WaitForMainDialog(), nullptr);
  EXPECT_EQ(setup.ControlText(IDC_LOG_PANE), kStartupLog + L"• /update : 자동 업데이트를 시작합니다.\r\n");
  setup.Click(IDC_CLOSE);
  EXPECT_EQ(setup.WaitForExit(), std::optional<DWORD>(0));
}

TEST(Startup, CloseBoxEndsWithZeroAndNoticesOpenAndClose) {
  SetupProcess setup;
  std::wstring error;
  ASSERT_TRUE(setup.Start(SetupExe(), L"--noselfupdate", &error)) << error.c_str();
  ASSERT_NE(setup.WaitForMainDialog(), nullptr);

  setup.Click(IDC_NOTICES);
  const auto notices = setup.WaitForMessageBox();
  ASSERT_TRUE(notices.has_value());
  EXPECT_EQ(notices->caption, L"오픈소스 라이선스");
  EXPECT_TRUE(WindowTextOf(::GetDlgItem(notices->window, IDC_NOTICES_TEXT)).starts_with(L"Orlinth Setup"));
  setup.Answer(*notices, IDC_NOTICES_CLOSE);
  for (int i = 0; i < 100 && ::IsWindow(notices->window); ++i) ::Sleep(20);
  EXPECT_FALSE(::IsWindow(notices->window));

  setup.PostToDialog(WM_SYSCOMMAND, SC_CLOSE);
  EXPECT_EQ(setup.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
