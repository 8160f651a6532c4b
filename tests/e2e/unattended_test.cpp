// Deployment runs through the real Setup.exe: /quiet and /passive, the
// removal with /uninstall, the log file and the exit codes a deployment tool
// reads.
#include <windows.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "base/win_handle.h"
#include "res/resource_ids.h"
#include "support/machine_paths.h"
#include "support/product_state.h"
#include "support/release_folder.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"

namespace {

enum class Situation { Install, UninstallNeedingRestart, FailingScript, NoPackage, Passive, AnotherSetupRunning };

struct UnattendedCase {
  const char* name;
  Situation situation;
  const wchar_t* arguments;
  DWORD exitCode;
};

void PrintTo(const UnattendedCase& c, std::ostream* out) { *out << c.name; }

const UnattendedCase kCases[] = {
    {"QuietInstall", Situation::Install, L"/quiet", 0},
    {"QuietUninstallNeedingRestart", Situation::UninstallNeedingRestart, L"/QUIET --uninstall", 3010},
    {"QuietFailingScript", Situation::FailingScript, L"/quiet", 1603},
    {"QuietWithoutPackage", Situation::NoPackage, L"--quiet", 1603},
    {"Passive", Situation::Passive, L"/passive", 0},
    {"QuietWhileAnotherSetupRuns", Situation::AnotherSetupRunning, L"/quiet", 1618},
};

// The newest default log file in the temporary folder.
std::wstring NewestDefaultLog() {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  WIN32_FIND_DATAW entry;
  UniqueFindHandle find(::FindFirstFileW((std::wstring(temp) + L"Orlinth-Japanese-Setup-*.log").c_str(), &entry));
  std::wstring newest;
  if (!find) return newest;
  do {
    if (newest.empty() || std::wstring(entry.cFileName) > newest) newest = entry.cFileName;
  } while (::FindNextFileW(find.get(), &entry));
  return std::wstring(temp) + newest;
}

class UnattendedTest : public testing::TestWithParam<UnattendedCase> {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(InstallPowerShellStandIn()); }

  CleanProductState clean_;
  ReleaseFolder release_;
  TempFolder alone_;
  PowerShellLog powerShell_;
};

TEST_P(UnattendedTest, RunsTheOneOperationAndEndsWithItsExitCode) {
  const UnattendedCase& c = GetParam();
  std::wstring program = release_.SetupExe();
  std::wstring arguments = c.arguments;
  const std::wstring logFile = alone_.File(L"run.log");
  SetupProcess other;
  switch (c.situation) {
    case Situation::UninstallNeedingRestart: {
      ASSERT_TRUE(PlaceProductDll(false));
      ASSERT_TRUE(SetInstalledLanguages(L"ja"));
      ASSERT_TRUE(PlantUninstallKey());
      release_.WriteScript(L"Uninstall.ps1", "Write-Host 'removing'\nexit 3010\n");
      arguments += L" /log:" + logFile;
      break;
    }
    case Situation::FailingScript:
      release_.WriteScript(L"Install.ps1", "Write-Host 'failing'\nexit 7\n");
      arguments += L" /log:" + alone_.File(L"run.txt");  // not a log: the default one takes over
      break;
    case Situation::NoPackage:
      program = alone_.File(L"Setup.exe");
      ASSERT_TRUE(::CopyFileW(release_.SetupExe().c_str(), program.c_str(), FALSE));
      break;
    case Situation::AnotherSetupRunning: {
      std::wstring error;
      ASSERT_TRUE(other.StartToMainDialog(release_.SetupExe(), L"", &error)) << error.c_str();
      ASSERT_TRUE(PlantSetupLock(other.processId()));
      break;
    }
    default:
      break;
  }
  const std::wstring before = NewestDefaultLog();
  SetupProcess setup;
  std::wstring error;
  ASSERT_TRUE(setup.Start(program, arguments, &error)) << error.c_str();
  bool shown = false;
  std::optional<DWORD> exitCode;
  for (int waited = 0; waited < 120000 && !exitCode; waited += 20) {
    shown = shown || !FindTopWindows(WindowsOfProcess(setup.processId())).empty();
    exitCode = setup.WaitForExit(20);
  }
  ASSERT_EQ(exitCode, std::optional<DWORD>(c.exitCode));
  EXPECT_EQ(shown, c.situation == Situation::Passive) << "a window was seen, or none was";

  switch (c.situation) {
    case Situation::Install: {
      EXPECT_TRUE(PathExists(ProductDllPath(false)));
      EXPECT_TRUE(UninstallKeyExists());
      const std::wstring log = NewestDefaultLog();
      ASSERT_NE(log, before) << "no new default log";
      const std::string text = ReadFileBytes(log);
      EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
      EXPECT_NE(text.find(" Host: x64\r\n"), std::string::npos) << text;
      EXPECT_NE(text.find(" 종료 코드: 0\r\n"), std::string::npos) << text;
      ::DeleteFileW(log.c_str());
      break;
    }
    case Situation::UninstallNeedingRestart: {
      EXPECT_FALSE(UninstallKeyExists());
      const std::string text = ReadFileBytes(logFile);
      EXPECT_NE(text.find(" removing\r\n"), std::string::npos) << text;
      EXPECT_NE(text.find(" 종료 코드: 3010\r\n"), std::string::npos) << text;
      break;
    }
    case Situation::FailingScript: {
      EXPECT_FALSE(PathExists(alone_.File(L"run.txt")));
      const std::string text = ReadFileBytes(NewestDefaultLog());
      EXPECT_NE(text.find(" 로그 파일을 만들 수 없어 기본 로그를 씁니다: "), std::string::npos) << text;
      EXPECT_NE(text.find(" 종료 코드: 1603\r\n"), std::string::npos) << text;
      break;
    }
    case Situation::AnotherSetupRunning:
      EXPECT_TRUE(powerShell_.Runs().empty());
      EXPECT_EQ(other.CloseMainDialog(), std::optional<DWORD>(0));
      break;
    default:
      break;
  }
  if (c.situation != Situation::Install && NewestDefaultLog() != before) ::DeleteFileW(NewestDefaultLog().c_str());
}

INSTANTIATE_TEST_SUITE_P(Deployments, UnattendedTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<UnattendedCase>& info) { return info.param.name; });

}  // namespace
