// Setup.exe started as a user starts it: what the window shows at start and
// how it ends.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "res/resource_ids.h"
#include "support/expected_texts.h"
#include "support/machine_paths.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"

namespace {

TEST(Startup, ShowsTitleAndStartupLogAndEndsWithZeroOnEscape) {
  ASSERT_TRUE(PlantSetupLock());
  SetupProcess setup;
  std::wstring error;
  ASSERT_TRUE(setup.StartToMainDialog(BuiltSetupExe(), L"", &error)) << error.c_str();

  EXPECT_EQ(WindowTextOf(setup.mainDialog()), L"Orlinth Setup (일본어)");
  EXPECT_EQ(setup.ControlText(IDC_LOG_PANE), kExpectedStartupLog);
  EXPECT_EQ(setup.ControlText(IDC_CLOSE), L"닫기(&C)");
  EXPECT_EQ(setup.ControlText(IDC_NOTICES), L"라이선스(&L)");
  EXPECT_TRUE(setup.IsControlVisible(IDC_CLOSE));
  EXPECT_TRUE(setup.IsControlEnabled(IDC_INSTALL));

  setup.PressKey(IDC_INSTALL, VK_ESCAPE);
  EXPECT_EQ(setup.WaitForExit(), std::optional<DWORD>(0));
  EXPECT_FALSE(PathExists(ExpectedSetupLockPath()));
}

TEST(Startup, CloseBoxEndsWithZeroAndNoticesOpenAndClose) {
  SetupProcess setup;
  std::wstring error;
  ASSERT_TRUE(setup.StartToMainDialog(BuiltSetupExe(), L"--noselfupdate", &error)) << error.c_str();

  setup.Click(IDC_NOTICES);
  const auto notices = setup.WaitForMessageBox();
  ASSERT_TRUE(notices.has_value());
  EXPECT_EQ(notices->caption, L"오픈소스 라이선스");
  EXPECT_TRUE(WindowTextOf(::GetDlgItem(notices->window, IDC_NOTICES_TEXT)).starts_with(L"Orlinth Setup"));
  setup.Answer(*notices, IDC_NOTICES_CLOSE);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(notices->window); }));

  setup.PostToDialog(WM_SYSCOMMAND, SC_CLOSE);
  EXPECT_EQ(setup.WaitForExit(), std::optional<DWORD>(0));
}

// The first window holds the operation from its question on; a second one
// asked to install says another Setup is at work and stays idle.
TEST(Startup, AWindowFindingAnotherSetupAtWorkSaysSoAndStaysIdle) {
  SetupProcess first;
  SetupProcess second;
  std::wstring error;
  ASSERT_TRUE(first.StartToMainDialog(BuiltSetupExe(), L"/noselfupdate", &error)) << error.c_str();
  first.Click(IDC_INSTALL);
  const auto question = first.WaitForMessageBox();
  ASSERT_TRUE(question.has_value());
  ASSERT_TRUE(second.StartToMainDialog(BuiltSetupExe(), L"/noselfupdate", &error)) << error.c_str();
  second.Click(IDC_INSTALL);
  const auto refused = second.WaitForMessageBox();
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->text, L"다른 Setup이 설치 또는 삭제 작업을 하고 있습니다.\n그 작업이 끝난 뒤 다시 시도해 주세요.");
  second.Answer(*refused, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(refused->window); }));
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(second.mainDialog(), IDC_INSTALL)));
  EXPECT_NE(second.ControlText(IDC_LOG_PANE).find(L"다른 Setup이 설치 또는 삭제 작업을 하고 있어 시작하지 않았습니다."),
            std::wstring::npos);
  EXPECT_EQ(second.CloseMainDialog(), std::optional<DWORD>(0));
  first.Answer(*question, IDNO);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(question->window); }));
  EXPECT_EQ(first.CloseMainDialog(), std::optional<DWORD>(0));
}

TEST(Startup, CloseButtonEndsWithZero) {
  SetupProcess setup;
  std::wstring error;
  ASSERT_TRUE(setup.StartToMainDialog(BuiltSetupExe(), L"", &error)) << error.c_str();
  setup.Click(IDC_CLOSE);
  EXPECT_EQ(setup.WaitForExit(), std::optional<DWORD>(0));
}

// Asked for its usage, Setup shows it and does nothing else.
TEST(Startup, UsageBoxNamesSwitchesAndCodesAndEndsWithZero) {
  for (const wchar_t* help : {L"/?", L"--help"}) {
    SetupProcess setup;
    std::wstring error;
    ASSERT_TRUE(setup.Start(BuiltSetupExe(), help, &error)) << error.c_str();
    const auto box = setup.WaitForMessageBox();
    ASSERT_TRUE(box.has_value()) << help;
    EXPECT_NE(box->text.find(L"/allowdowngrade"), std::wstring::npos) << box->text.c_str();
    EXPECT_NE(box->text.find(L"1638 "), std::wstring::npos) << box->text.c_str();
    EXPECT_EQ(FindTopWindows(WindowsOfProcess(setup.processId())).size(), 1u) << "more than the box";
    setup.Answer(*box, IDOK);
    EXPECT_EQ(setup.WaitForExit(), std::optional<DWORD>(0));
  }
}

}  // namespace
