// Install, add, update and uninstall run end to end from a release folder,
// driven through the real window, with the PowerShell stand-in running the
// package scripts.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdint>
#include <cwchar>
#include <optional>
#include <string>
#include <utility>

#include "base/text_helpers.h"
#include "base/win_handle.h"
#include "build_config.h"
#include "ops/script_runner.h"
#include "res/resource_ids.h"
#include "support/machine_paths.h"
#include "support/product_state.h"
#include "support/release_folder.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"
#include "support/test_setting.h"
#include "support/window_flows.h"

namespace {

constexpr wchar_t kSeparator[] = L"----------------------------------------\r\n";

// PowerShell's own modules: the only ones its children may load.
std::wstring SystemModules() {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\WindowsPowerShell\\v1.0\\Modules";
}

// Where Setup runs a release folder's scripts from: its copy in the working root.
// The files directly in the folder, in bytes.
std::uint64_t FolderBytes(const std::wstring& folder) {
  std::uint64_t bytes = 0;
  WIN32_FIND_DATAW found = {};
  UniqueFindHandle listing(::FindFirstFileW((folder + L"\\*").c_str(), &found));
  for (bool more = static_cast<bool>(listing); more; more = ::FindNextFileW(listing.get(), &found) != FALSE) {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      bytes += (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    }
  }
  return bytes;
}

std::wstring TodayAsDigits() {
  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  wchar_t digits[16] = {};
  std::swprintf(digits, 16, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
  return digits;
}

std::wstring ReleaseCopy(const std::wstring& name) { return ExpectedWorkingRoot() + L"\\release-package\\" + name; }

// A script that first keeps a copy of the lock file as it is during the run.
std::string WithLockProbe(const std::string& script) {
  const size_t afterParam = script.find('\n', script.find("param(")) + 1;
  return script.substr(0, afterParam) +
         "Copy-Item -Path \"$env:ProgramData\\Orlinth-Japanese\\setup.lock\" -Destination "
         "\"$PSScriptRoot\\lock-during-run.txt\" -Force\n" +
         script.substr(afterParam);
}

class OperationTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(InstallPowerShellStandIn()); }

  void TearDown() override {
    if (setup_.mainDialog() != nullptr && !setup_.WaitForExit(0)) {
      EXPECT_EQ(setup_.CloseMainDialog(), std::optional<DWORD>(0));
    }
  }

  void StartSetup(const std::wstring& program, const std::wstring& arguments = L"") {
    std::wstring error;
    ASSERT_TRUE(setup_.StartToMainDialog(program, arguments, &error)) << error.c_str();
  }

  Outcome RunOperation(int buttonId, const std::wstring& question) {
    return ::RunOperation(setup_, buttonId, question);
  }

  std::wstring Log() const { return setup_.ControlText(IDC_LOG_PANE); }

  CleanProductState clean_;
  ReleaseFolder release_;
  PowerShellLog powerShell_;
  SetupProcess setup_;
};

TEST_F(OperationTest, FreshInstallCopiesSetupAndRegistersEveryValue) {
  release_.WriteScript(L"Install.ps1", WithLockProbe(SampleScript(L"Install.ps1")));
  {
    // What the user's registry may hand an elevated Setup: none of it reaches its children.
    const ScopedTestSetting profiling(L"COR_ENABLE_PROFILING", L"1");
    const ScopedTestSetting profiler(L"COR_PROFILER_PATH", release_.File(L"profiler.dll"));
    const ScopedTestSetting path(L"PATH", release_.path() + L";C:\\windows\\system32");
    StartSetup(release_.SetupExe());
  }
  const Outcome outcome = RunOperation(IDC_INSTALL, L"Orlinth 일본어 입력기를 설치할까요?");
  EXPECT_EQ(outcome.message,
            L"Orlinth 설치가 완료되었습니다.\n\n메모장 / 브라우저 등을 다시 시작하면\nOrlinth으로 입력할 수 있습니다.");
  EXPECT_EQ(outcome.step, L"완료");
  EXPECT_EQ(outcome.status, L"설치가 완료되었습니다.");

  const std::wstring installed = ExpectedProductFolder() + L"\\Setup.exe";
  EXPECT_TRUE(Log().ends_with(std::wstring(kSeparator) + L"==> 성공\r\n업데이트용 Setup 배치: " + installed +
                              L"\r\n제어판 프로그램 항목 등록: " + kUninstallKey + L"\r\n"))
      << Log().c_str();
  EXPECT_NE(Log().find(L"작업: 일본어 설치\r\n"), std::wstring::npos);
  EXPECT_NE(Log().find(L"스크립트: Install.ps1 -Language 'ja'\r\n"), std::wstring::npos);
  EXPECT_EQ(ReadFileBytes(ReleaseCopy(L"lock-during-run.txt")), std::to_string(setup_.processId()) + "\n");
  EXPECT_FALSE(PathExists(ExpectedSetupLockPath()));
  EXPECT_EQ(ReadFileBytes(installed), ReadFileBytes(release_.SetupExe()));
  // While Setup runs nobody can change, rename or delete its own file.
  const std::wstring self = release_.SetupExe();
  EXPECT_FALSE(UniqueHandle(::CreateFileW(self.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr)));
  EXPECT_FALSE(::MoveFileW(self.c_str(), (self + L".moved").c_str()));
  EXPECT_FALSE(::DeleteFileW(self.c_str()));

  struct Expected {
    const wchar_t* name;
    std::wstring text;
  } strings[] = {
      {L"DisplayName", L"Orlinth 일본어"},
      {L"DisplayVersion", L"2.4.0"},
      {L"Publisher", L"Orlinth"},
      {L"DisplayIcon", installed},
      {L"UninstallString", L"\"" + installed + L"\""},
      {L"InstallLocation", ExpectedProductFolder()},
      {L"URLInfoAbout", kProductAboutUrl},
      {L"HelpLink", kProductHelpUrl},
      {L"InstallDate", TodayAsDigits()},
  };
  for (const Expected& expected : strings) {
    const auto value = ReadUninstallValue(expected.name);
    ASSERT_TRUE(value.has_value()) << expected.name;
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ)) << expected.name;
    EXPECT_EQ(value->text, expected.text) << expected.name;
    EXPECT_EQ(value->size, (expected.text.size() + 1) * sizeof(wchar_t)) << expected.name;
  }
  // The sample package's DLL and scripts, and Setup itself: well over 1 KB.
  const DWORD folderKb = static_cast<DWORD>((FolderBytes(ExpectedProductFolder()) + 1023) / 1024);
  using Number = std::pair<const wchar_t*, DWORD>;
  for (const auto& [name, number] : {Number{L"NoModify", 1}, Number{L"NoRepair", 1}, Number{L"VersionMajor", 2},
                                     Number{L"VersionMinor", 4}, Number{L"EstimatedSize", folderKb}}) {
    const auto value = ReadUninstallValue(name);
    ASSERT_TRUE(value.has_value()) << name;
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value->size, 4u);
    EXPECT_EQ(value->number, number) << name;
  }
  EXPECT_GT(folderKb, 1u);

  const auto runs = powerShell_.Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].command, BuildScriptCommandLine(ReleaseCopy(L"Install.ps1"), L" -Language 'ja'"));
  EXPECT_EQ(runs[0].folder, ExpectedWorkingRoot() + L"\\release-package");
  EXPECT_EQ(runs[0].modulePath, SystemModules());
  EXPECT_EQ(runs[0].setupProcessId, std::to_wstring(setup_.processId()));
  // The system's own variables are there; the caller's are not.
  EXPECT_NE(runs[0].environment.at(L"ALLUSERSPROFILE"), L"");
  EXPECT_NE(runs[0].environment.at(L"CommonProgramFiles"), L"");
  EXPECT_EQ(runs[0].environment.at(L"COR_ENABLE_PROFILING"), L"");
  EXPECT_EQ(runs[0].environment.at(L"COR_PROFILER_PATH"), L"");
  EXPECT_EQ(runs[0].environment.at(L"PATH").find(release_.path()), std::wstring::npos);
  EXPECT_TRUE(runs[0].environment.at(L"TEMP").starts_with(ExpectedWorkingRoot() + L"\\"))
      << runs[0].environment.at(L"TEMP").c_str();
  // Afterwards the window shows the new state.
  EXPECT_TRUE(WaitUntil([&] { return setup_.ControlText(IDC_STEP_LINE) == L"설치됨"; }))
      << setup_.ControlText(IDC_STEP_LINE).c_str() << " / " << setup_.ControlText(IDC_STATUS_LINE).c_str();
}

TEST_F(OperationTest, AddingJapaneseToAnArabicInstall) {
  ASSERT_TRUE(PlaceProductDll(false));
  ASSERT_TRUE(SetInstalledLanguages(L"ar"));
  StartSetup(release_.SetupExe());
  const Outcome outcome = RunOperation(IDC_INSTALL, L"Orlinth에 일본어 키보드를 추가할까요?");
  EXPECT_EQ(outcome.message,
            L"Orlinth 일본어 키보드를 추가했습니다.\n\nWin+Space로 입력기를 바꿀 수 있습니다.\n메모장 / 브라우저 등을 "
            L"다시 시작하면 적용됩니다.");
  EXPECT_EQ(outcome.step, L"추가 완료");
  EXPECT_EQ(outcome.status, L"업데이트가 완료되었습니다.");
  EXPECT_NE(Log().find(L"작업: 일본어 추가\r\n"), std::wstring::npos);
  EXPECT_TRUE(WaitUntil([&] {
    return setup_.ControlText(IDC_STATUS_LINE) ==
           L"Orlinth 일본어 키보드가 설치되어 있습니다 (함께 설치: 아랍어). [업데이트] 또는 [일본어 삭제]를 "
           L"선택하세요.";
  }));
}

TEST_F(OperationTest, UpdateOfAnInstalledProduct) {
  ASSERT_TRUE(PlaceProductDll(false));
  ASSERT_TRUE(SetInstalledLanguages(L"ja"));
  StartSetup(release_.SetupExe());
  const Outcome outcome = RunOperation(IDC_INSTALL, L"Orlinth을 최신 파일로 업데이트할까요?");
  EXPECT_EQ(outcome.message,
            L"Orlinth 업데이트가 완료되었습니다.\n\n메모장 / 브라우저 등을 다시 시작하면\n새 버전이 적용됩니다.");
  EXPECT_EQ(outcome.step, L"업데이트 완료");
  EXPECT_EQ(outcome.status, L"업데이트가 완료되었습니다.");
  EXPECT_NE(Log().find(L"작업: 일본어 업데이트\r\n"), std::wstring::npos);
}

TEST_F(OperationTest, RemovingJapaneseBesideHindiKeepsTheEntry) {
  ASSERT_TRUE(PlaceProductDll(false));
  ASSERT_TRUE(SetInstalledLanguages(L"ja,hi"));
  ASSERT_TRUE(PlantUninstallKey());
  StartSetup(release_.SetupExe());
  const Outcome outcome = RunOperation(IDC_REMOVE, L"Orlinth 일본어 키보드를 삭제할까요?");
  EXPECT_EQ(outcome.message, L"Orlinth 일본어 키보드를 삭제했습니다.\n\n남은 키보드: 힌디어");
  EXPECT_EQ(outcome.step, L"삭제 완료");
  EXPECT_EQ(outcome.status, L"삭제가 완료되었습니다.");
  EXPECT_TRUE(UninstallKeyExists());
  const auto runs = powerShell_.Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].command, BuildScriptCommandLine(ReleaseCopy(L"Uninstall.ps1"), L" -Language 'ja'"));
}

TEST_F(OperationTest, WholeUninstallWithRebootPending) {
  ASSERT_TRUE(PlaceProductDll(false));
  ASSERT_TRUE(SetInstalledLanguages(L"ja"));
  ASSERT_TRUE(PlantUninstallKey());
  release_.WriteScript(L"Uninstall.ps1", SampleScript(L"Uninstall.ps1") + "\nexit 3010\n");
  StartSetup(release_.SetupExe());
  const Outcome outcome = RunOperation(IDC_REMOVE, L"Orlinth을 삭제할까요?");
  EXPECT_EQ(outcome.message, L"Orlinth이 제거되었습니다.\n일부 파일은 재부팅 후 완전히 삭제됩니다.");
  EXPECT_EQ(outcome.status, L"삭제가 거의 끝났습니다. 재부팅하면 잠긴 파일이 정리됩니다.");
  EXPECT_TRUE(Log().ends_with(std::wstring(kSeparator) + L"==> 성공 (재부팅 후 파일 정리 완료)\r\n"));
  EXPECT_FALSE(UninstallKeyExists());
  const auto runs = powerShell_.Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].command, BuildScriptCommandLine(ReleaseCopy(L"Uninstall.ps1"), L""));
}

TEST_F(OperationTest, InstallEndingWithRebootCodeIsAFailure) {
  release_.WriteScript(L"Install.ps1", "param([string]$Language = '')\nWrite-Host 'Host: x64'\nexit 3010\n");
  StartSetup(release_.SetupExe());
  const Outcome outcome = RunOperation(IDC_INSTALL, L"Orlinth 일본어 입력기를 설치할까요?");
  EXPECT_EQ(outcome.message, L"설치에 실패했습니다.\n아래 상세 로그를 확인한 뒤 다시 시도하세요.");
  EXPECT_EQ(outcome.step, L"실패");
  EXPECT_EQ(outcome.status, L"설치에 실패했습니다. 로그를 확인하세요.");
  EXPECT_TRUE(Log().ends_with(std::wstring(kSeparator) + L"==> 실패. 종료 코드: 3010\r\n"));
  EXPECT_FALSE(PathExists(ExpectedSetupLockPath()));
  EXPECT_FALSE(UninstallKeyExists());
}

TEST_F(OperationTest, MissingPowerShellIsReportedWithItsSystemError) {
  ASSERT_TRUE(RemovePowerShellStandIn());
  StartSetup(release_.SetupExe());
  const Outcome outcome = RunOperation(IDC_INSTALL, L"Orlinth 일본어 입력기를 설치할까요?");
  ASSERT_TRUE(InstallPowerShellStandIn());
  EXPECT_EQ(outcome.message, L"설치에 실패했습니다.\n아래 상세 로그를 확인한 뒤 다시 시도하세요.");
  EXPECT_NE(Log().find(L"[오류] PowerShell 실행 실패\r\n"), std::wstring::npos);
  EXPECT_TRUE(Log().ends_with(L"==> 실패. 종료 코드: 2\r\n")) << Log().c_str();
}

TEST_F(OperationTest, UninstallFromTheInstalledCopyRunsTheStagedScripts) {
  StartSetup(release_.SetupExe());
  RunOperation(IDC_INSTALL, L"Orlinth 일본어 입력기를 설치할까요?");
  EXPECT_EQ(setup_.CloseMainDialog(), std::optional<DWORD>(0));

  SetupProcess installedCopy;
  std::wstring error;
  ASSERT_TRUE(installedCopy.StartToMainDialog(ExpectedProductFolder() + L"\\Setup.exe", L"", &error)) << error.c_str();
  const Outcome outcome = ::RunOperation(installedCopy, IDC_REMOVE, L"Orlinth을 삭제할까요?");
  const std::wstring log = installedCopy.ControlText(IDC_LOG_PANE);
  EXPECT_EQ(installedCopy.CloseMainDialog(), std::optional<DWORD>(0));
  EXPECT_EQ(outcome.message, L"Orlinth 삭제가 완료되었습니다.");
  const std::wstring staged = ExpectedWorkingRoot() + L"\\Orlinth-Japanese-uninstall";
  EXPECT_NE(log.find(L"설치 폴더의 삭제 스크립트 사용: " + staged + L"\r\n"), std::wstring::npos) << log.c_str();
  const auto runs = powerShell_.Runs();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].command, BuildScriptCommandLine(staged + L"\\Uninstall.ps1", L""));
  EXPECT_FALSE(UninstallKeyExists());
}

TEST_F(OperationTest, AutomaticUpdateRunsInstallWithoutArgumentsOrQuestion) {
  ASSERT_TRUE(PlaceProductDll(false));
  ASSERT_TRUE(SetInstalledLanguages(L"ja"));
  StartSetup(release_.SetupExe(), L"/update");
  const Outcome outcome = WaitForOutcome(setup_);
  EXPECT_EQ(outcome.message,
            L"Orlinth 업데이트가 완료되었습니다.\n\n메모장 / 브라우저 등을 다시 시작하면\n새 버전이 적용됩니다.");
  EXPECT_NE(Log().find(L"스크립트: Install.ps1\r\n"), std::wstring::npos);
  const auto runs = powerShell_.Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].command, BuildScriptCommandLine(ReleaseCopy(L"Install.ps1"), L""));
  // A removal is still asked about.
  setup_.Click(IDC_REMOVE);
  const auto question = setup_.WaitForMessageBox();
  ASSERT_TRUE(question.has_value());
  EXPECT_EQ(question->text, L"Orlinth을 삭제할까요?");
  setup_.Answer(*question, IDNO);
  EXPECT_TRUE(WaitUntil([&] { return setup_.ControlText(IDC_STATUS_LINE) == L"삭제를 취소했습니다."; }));
}

// Only the package's script runs: not a powershell.exe planted beside Setup,
// nor a command hidden in the folder's name behind a quote that PowerShell
// would take as the end of the script's path.
TEST_F(OperationTest, NothingButTheScriptRunsWhateverSitsBesideSetup) {
  const ReleaseFolder quoted(L"release\u2019; Write-Host injected; \u2019x");
  const std::wstring markers = quoted.File(L"markers");
  ASSERT_TRUE(::CreateDirectoryW(markers.c_str(), nullptr));
  ASSERT_TRUE(::CopyFileW((TestProgramFolder() + L"\\planted_program.exe").c_str(),
                          quoted.File(L"powershell.exe").c_str(), FALSE));
  SetTestSetting(L"ORLINTH_MARKER_DIR", markers);
  StartSetup(quoted.SetupExe());
  const Outcome outcome = RunOperation(IDC_INSTALL, L"Orlinth 일본어 입력기를 설치할까요?");
  ClearTestSetting(L"ORLINTH_MARKER_DIR");
  EXPECT_EQ(outcome.step, L"완료");
  EXPECT_FALSE(PathExists(markers + L"\\powershell.exe.ran"));
  EXPECT_EQ(Log().find(L"\r\ninjected\r\n"), std::wstring::npos) << Log().c_str();
  const auto runs = powerShell_.Runs();
  ASSERT_EQ(runs.size(), 1u);
  // The folder the user chose is named in the log; its scripts run from their copy.
  EXPECT_NE(Log().find(L"로컬 패키지 폴더 사용: " + quoted.path() + L"\r\n"), std::wstring::npos) << Log().c_str();
  EXPECT_EQ(runs[0].command, BuildScriptCommandLine(ReleaseCopy(L"Install.ps1"), L" -Language 'ja'"));
}

TEST_F(OperationTest, AFloodOfOutputArrivesWhole) {
  constexpr int kLines = 200000;
  std::string flood;
  flood.reserve(kLines * 24);
  for (int i = 0; i < kLines; ++i) flood += "Write-Host 'line " + std::to_string(100000 + i) + "'\n";
  std::string script = SampleScript(L"Install.ps1");
  script.insert(script.find('\n', script.find("param(")) + 1, flood);
  release_.WriteScript(L"Install.ps1", script);
  StartSetup(release_.SetupExe());
  const Outcome outcome = RunOperation(IDC_INSTALL, L"Orlinth 일본어 입력기를 설치할까요?");
  EXPECT_EQ(outcome.step, L"완료");
  const std::wstring log = Log();
  size_t lines = 0;
  for (size_t at = log.find(L"\r\nline "); at != std::wstring::npos; at = log.find(L"\r\nline ", at + 1)) ++lines;
  EXPECT_EQ(lines, static_cast<size_t>(kLines));
  EXPECT_NE(log.find(L"\r\nline 100000\r\n"), std::wstring::npos);
  EXPECT_NE(log.find(L"\r\nline 299999\r\n"), std::wstring::npos);
}

TEST_F(OperationTest, SingleFileSetupInstallsFromItsPayloadThenReusesTheCache) {
  TempFolder alone;
  const std::wstring single = alone.File(L"Setup.exe");
  ASSERT_TRUE(::CopyFileW((TestProgramFolder() + L"\\single-file\\Setup.exe").c_str(), single.c_str(), FALSE));
  // Planted beside it: a Setup that carries a package never runs these.
  for (const wchar_t* name : {L"Install.ps1", L"ImeInstallCommon.ps1"}) {
    ASSERT_TRUE(WriteFileBytes(alone.File(name), "throw 'planted'\n"));
  }
  RemoveTree(ExpectedWorkingRoot() + L"\\setup-cache");

  StartSetup(single);
  EXPECT_EQ(RunOperation(IDC_INSTALL, L"Orlinth 일본어 입력기를 설치할까요?").step, L"완료");
  EXPECT_NE(Log().find(L"단일 파일 Setup: 내장 패키지를 압축 해제합니다.\r\n"), std::wstring::npos);
  ASSERT_EQ(powerShell_.Runs().size(), 2u);  // Expand-Archive, then Install.ps1
  EXPECT_EQ(powerShell_.Runs()[0].modulePath, SystemModules());
  EXPECT_EQ(setup_.CloseMainDialog(), std::optional<DWORD>(0));

  SetupProcess again;
  std::wstring error;
  ASSERT_TRUE(again.StartToMainDialog(single, L"", &error)) << error.c_str();
  EXPECT_EQ(::RunOperation(again, IDC_INSTALL, L"Orlinth을 최신 파일로 업데이트할까요?").step, L"업데이트 완료");
  const std::wstring log = again.ControlText(IDC_LOG_PANE);
  EXPECT_EQ(again.CloseMainDialog(), std::optional<DWORD>(0));
  EXPECT_NE(log.find(L"캐시된 패키지 사용: " + ExpectedWorkingRoot() + L"\\setup-cache\\"), std::wstring::npos)
      << log.c_str();
  EXPECT_EQ(log.find(L"단일 파일 Setup:"), std::wstring::npos);
  EXPECT_EQ(powerShell_.Runs().size(), 3u);  // only the install script this time
}

// Setup ended from outside while its script runs: the script ends with it
// (its job), instead of going on with nobody to report to.
TEST_F(OperationTest, AScriptEndsWhenSetupIsEndedFromOutside) {
  TempFolder markers;
  release_.WriteScript(L"Install.ps1", "New-Item -Path '" + WideToUtf8(markers.File(L"running")) +
                                           "' -ItemType Directory | Out-Null\nStart-Sleep -Seconds 120\n");
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring powerShell = std::wstring(system) + L"\\WindowsPowerShell\\v1.0\\powershell.exe";
  SetupProcess quiet;
  std::wstring error;
  ASSERT_TRUE(quiet.Start(release_.SetupExe(), L"/quiet", &error)) << error.c_str();
  ASSERT_TRUE(WaitUntil([&] { return PathExists(markers.File(L"running")); }, 30000));
  ASSERT_NE(FindProcessOf(powerShell), 0u);
  quiet.Kill();
  EXPECT_TRUE(WaitUntil([&] { return FindProcessOf(powerShell) == 0; }, 30000));
}

}  // namespace
