// Deployment runs through the real Setup.exe: /quiet and /passive, the
// removal with /uninstall, the log file and the exit codes a deployment tool
// reads.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>
#include <ostream>
#include <string>

#include "base/installed_version.h"
#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"
#include "fakes/lingering_helper.h"
#include "ops/operation_mutex.h"
#include "res/resource_ids.h"
#include "support/machine_paths.h"
#include "support/product_state.h"
#include "support/release_folder.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"
#include "support/test_server.h"

namespace {

enum class Situation {
  Install,
  UninstallNeedingRestart,
  UninstallWithoutJapanese,
  FailingScript,
  NoPackage,
  Passive,
  AnotherSetupRunning,
  AnotherAtItsClosingMessage,
  SingleFileWithNewerOnServer,
  ArabicOnly,
  ArabicWithScriptIgnoringLanguage,
  NewerInstalled,
  RefusedCommandLine,
  FailingAfterPlacingJapanese,
  SignedOnlyPolicy,
  SignedOnlyPolicyPinned,
};

struct UnattendedCase {
  const char* name;
  Situation situation;
  const wchar_t* arguments;
  DWORD exitCode;
};

void PrintTo(const UnattendedCase& c, std::ostream* out) { *out << c.name; }

const UnattendedCase kCases[] = {
    {"QuietInstall", Situation::Install, L"/quiet", 0},
    {"SilentAliasInstall", Situation::Install, L"/S", 0},
    {"QuietUninstallNeedingRestart", Situation::UninstallNeedingRestart, L"/QUIET --uninstall", 3010},
    {"QuietUninstallWithoutJapanese", Situation::UninstallWithoutJapanese, L"/quiet /uninstall", 0},
    {"QuietFailingScript", Situation::FailingScript, L"/quiet /log:relative\\new-folder\\x.txt", 1603},
    {"QuietWithoutPackage", Situation::NoPackage, L"--quiet", 1612},
    {"QuietWhileAnotherShowsItsClosingMessage", Situation::AnotherAtItsClosingMessage, L"/quiet", 0},
    {"Passive", Situation::Passive, L"/passive", 0},
    {"QuietWhileAnotherSetupRuns", Situation::AnotherSetupRunning, L"/quiet", 0},
    {"QuietSingleFileWithNewerOnServer", Situation::SingleFileWithNewerOnServer, L"/quiet", 0},
    {"QuietUpdateAddsJapaneseToArabic", Situation::ArabicOnly, L"/quiet /update", 0},
    {"QuietUpdateLeavingJapaneseMissing", Situation::ArabicWithScriptIgnoringLanguage, L"/quiet /update", 1603},
    {"QuietOlderPinnedInstaller", Situation::NewerInstalled, L"/quiet", 1638},
    {"QuietOlderPinnedInstallerAllowed", Situation::NewerInstalled, L"/quiet /allowdowngrade", 0},
    {"QuietUnknownSwitch", Situation::RefusedCommandLine, L"/quiet /bogus", 1639},
    {"QuietUninstallWithUpdate", Situation::RefusedCommandLine, L"/quiet /uninstall /update", 1639},
    {"QuietRefusedLogPath", Situation::RefusedCommandLine, L"/quiet /log:CON.log", 1639},
    {"QuietFailingScriptThatPlacedTheKeyboard", Situation::FailingAfterPlacingJapanese, L"/quiet", 1603},
    {"QuietUnsignedScriptsUnderSignedOnlyPolicy", Situation::SignedOnlyPolicy, L"/quiet", 1625},
    {"QuietPinnedSignedScriptsUnderSignedOnlyPolicy", Situation::SignedOnlyPolicyPinned, L"/quiet", 0},
};

// A machine policy for PowerShell that allows only signed scripts, for the
// life of this object.
class ScopedSignedOnlyPolicy {
 public:
  static constexpr wchar_t kKey[] = L"SOFTWARE\\Policies\\Microsoft\\Windows\\PowerShell";
  ScopedSignedOnlyPolicy() {
    const DWORD enabled = 1;
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, L"EnableScripts", REG_DWORD, &enabled, sizeof(enabled));
    constexpr wchar_t kAllSigned[] = L"AllSigned";
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, L"ExecutionPolicy", REG_SZ, kAllSigned, sizeof(kAllSigned));
  }
  ~ScopedSignedOnlyPolicy() { ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_64KEY, 0); }
  ScopedSignedOnlyPolicy(const ScopedSignedOnlyPolicy&) = delete;
  ScopedSignedOnlyPolicy& operator=(const ScopedSignedOnlyPolicy&) = delete;
};

// The product as an earlier install left it, with these languages, at this version.
bool PlantInstalledProduct(const wchar_t* languages, const wchar_t* version) {
  RecordInstalledPackageVersion(version);
  return PlaceProductDll(false) && SetInstalledLanguages(languages) && PlantUninstallKey();
}

// The pinned installer the release tool made of the sample package (2.4.0).
std::wstring PinnedInstaller() {
  return TestProgramFolder() + L"\\release-signing\\pinned\\OrlinthSetup-Japanese-2.4.0.exe";
}

// A text of the file's version resource, in its first language.
std::wstring VersionText(const std::wstring& path, const wchar_t* name) {
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), nullptr);
  std::string data(size, '\0');
  WORD* translation = nullptr;
  wchar_t* text = nullptr;
  UINT length = 0;
  if (size == 0 || !::GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
      !::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < 4) {
    return {};
  }
  wchar_t query[64] = {};
  std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], name);
  if (!::VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&text), &length)) return {};
  return text;
}

// The install script, first noting in `markers` whether another run of it is
// under way, and taking a few seconds.
std::string InstallScriptNotingOverlap(const std::wstring& markers) {
  const std::string folder = WideToUtf8(markers);
  const std::string script = SampleScript(L"Install.ps1");
  const size_t afterParam = script.find('\n', script.find("param(")) + 1;
  return script.substr(0, afterParam) + "if (Test-Path '" + folder + "\\running') {\n    New-Item -Path '" + folder +
         "\\overlap' -ItemType Directory | Out-Null\n}\nNew-Item -Path '" + folder +
         "\\running' -ItemType Directory | Out-Null\nStart-Sleep -Seconds 3\nRemove-Item -Path '" + folder +
         "\\running' -Recurse -Force\n" + script.substr(afterParam);
}

// Runs the removal the uninstall entry names for silent removals.
std::optional<DWORD> RunQuietUninstallString(bool* windowShown) {
  const std::optional<RegistryValue> command = ReadUninstallValue(L"QuietUninstallString");
  if (!command || command->text.empty()) return std::nullopt;
  const std::wstring& text = command->text;
  const size_t closing = text.find(L'"', 1);
  if (text.front() != L'"' || closing == std::wstring::npos) return std::nullopt;
  SetupProcess removal;
  std::wstring error;
  if (!removal.Start(text.substr(1, closing - 1), text.substr(closing + 2), &error)) return std::nullopt;
  return removal.WaitForExitWatchingWindows(60000, windowShown);
}

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
  std::optional<MessageBoxView> closing;
  std::optional<ScopedSignedOnlyPolicy> policy;
  switch (c.situation) {
    case Situation::Install: {
      // A helper the script leaves running (a tray process, say), sharing its
      // output; and no scripts left in the install folder, so the removal
      // has only what Setup staged.
      std::string script = SampleScript(L"Install.ps1");
      for (const char* line :
           {"Copy-Item -Path \"$PSScriptRoot\\Uninstall.ps1\" -Destination $InstallDir -Force\n",
            "Copy-Item -Path \"$PSScriptRoot\\ImeInstallCommon.ps1\" -Destination $InstallDir -Force\n"}) {
        ASSERT_NE(script.find(line), std::string::npos) << line;
        script.erase(script.find(line), std::strlen(line));
      }
      RemoveTree(ExpectedWorkingRoot() + L"\\Orlinth-Japanese-uninstall");  // what earlier runs staged
      release_.WriteScript(L"Install.ps1", script + "Start-Process -FilePath '" + WideToUtf8(TestProgramFolder()) +
                                               "\\planted_program.exe' -ArgumentList 'linger' -NoNewWindow\n");
      break;
    }
    case Situation::UninstallNeedingRestart: {
      ASSERT_TRUE(PlaceProductDll(false));
      ASSERT_TRUE(SetInstalledLanguages(L"ja"));
      ASSERT_TRUE(PlantUninstallKey());
      release_.WriteScript(L"Uninstall.ps1", "Write-Host 'removing'\nexit 3010\n");
      ASSERT_TRUE(WriteFileBytes(logFile, "an earlier run\r\n"));  // goes on after it
      arguments += L" /log " + logFile;
      break;
    }
    case Situation::UninstallWithoutJapanese:
      ASSERT_TRUE(PlaceProductDll(false));
      ASSERT_TRUE(SetInstalledLanguages(L"ar"));
      arguments += L" /log=" + logFile;
      break;
    case Situation::FailingScript:
      release_.WriteScript(L"Install.ps1", "Write-Host 'failing'\nexit 7\n");
      break;
    case Situation::FailingAfterPlacingJapanese:
      release_.WriteScript(L"Install.ps1", SampleScript(L"Install.ps1") + "exit 7\n");
      break;
    case Situation::SignedOnlyPolicyPinned:
      program = alone_.File(L"OrlinthSetup-Japanese-2.4.0.exe");
      ASSERT_TRUE(::CopyFileW(PinnedInstaller().c_str(), program.c_str(), FALSE));
      [[fallthrough]];
    case Situation::SignedOnlyPolicy:
      policy.emplace();
      break;
    case Situation::ArabicWithScriptIgnoringLanguage:
      release_.WriteScript(L"Install.ps1", "param([string]$Language = '')\nWrite-Host \"asked for $Language\"\n");
      [[fallthrough]];
    case Situation::ArabicOnly:
      ASSERT_TRUE(PlantInstalledProduct(L"ar", L"2.3.0"));
      break;
    case Situation::NewerInstalled:
      program = alone_.File(L"OrlinthSetup-Japanese-2.4.0.exe");
      ASSERT_TRUE(::CopyFileW(PinnedInstaller().c_str(), program.c_str(), FALSE));
      ASSERT_TRUE(PlantInstalledProduct(L"ja", L"9.0.0"));
      break;
    case Situation::NoPackage:
      program = alone_.File(L"Setup.exe");
      ASSERT_TRUE(::CopyFileW(release_.SetupExe().c_str(), program.c_str(), FALSE));
      break;
    case Situation::AnotherSetupRunning: {
      release_.WriteScript(L"Install.ps1", InstallScriptNotingOverlap(alone_.path()));
      std::wstring error;
      ASSERT_TRUE(other.Start(release_.SetupExe(), L"/quiet", &error)) << error.c_str();
      ASSERT_TRUE(WaitUntil([&] { return PathExists(alone_.File(L"running")); }, 30000));
      break;
    }
    case Situation::AnotherAtItsClosingMessage: {
      // A window install that has ended, its box left unanswered.
      std::wstring error;
      ASSERT_TRUE(other.StartToMainDialog(release_.SetupExe(), L"", &error)) << error.c_str();
      other.Click(IDC_INSTALL);
      const auto question = other.WaitForMessageBox();
      ASSERT_TRUE(question);
      other.Answer(*question, IDYES);
      ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(question->window); }));
      closing = other.WaitForMessageBox(60000);
      ASSERT_TRUE(closing);
      break;
    }
    case Situation::SingleFileWithNewerOnServer:
      // Without a server nothing is asked anyway, and "not asked" proves nothing.
      ASSERT_FALSE(TestServerRoot().empty()) << "the test release server is not running";
      RemoveTree(ExpectedWorkingRoot() + L"\\setup-cache");
      program = alone_.File(L"Setup.exe");
      ASSERT_TRUE(::CopyFileW((TestProgramFolder() + L"\\single-file\\Setup.exe").c_str(), program.c_str(), FALSE));
      ASSERT_TRUE(PublishReleaseAnswer(ReleaseAnswer({{"packageJaVersion", "2.5.0"},
                                                      {"packageJaUrl", "http://h/p.zip"},
                                                      {"packageJaSha256", std::string(64, 'a')}})));
      break;
    default:
      break;
  }
  const std::wstring before = NewestDefaultLog();
  const size_t answersBefore = TestServerRequests("/appLatest");
  SetupProcess setup;
  std::wstring error;
  // Relative paths on its command line are taken against this folder.
  ASSERT_TRUE(setup.Start(program, arguments, &error, alone_.path())) << error.c_str();
  bool shown = false;
  ASSERT_EQ(setup.WaitForExitWatchingWindows(120000, &shown), std::optional<DWORD>(c.exitCode));
  EXPECT_EQ(shown, c.situation == Situation::Passive) << "a window was seen, or none was";

  switch (c.situation) {
    case Situation::Install: {
      // Setup has ended; the helper the script started lives on (it may
      // still be starting).
      EXPECT_TRUE(WaitUntil([] { return UniqueHandle(::OpenMutexW(SYNCHRONIZE, FALSE, kLingering)); }, 20000));
      const UniqueHandle release(::OpenEventW(EVENT_MODIFY_STATE, FALSE, kReleased));
      if (release) ::SetEvent(release.get());
      EXPECT_TRUE(PathExists(ProductDllPath(false)));
      EXPECT_TRUE(UninstallKeyExists());
      const std::wstring log = NewestDefaultLog();
      ASSERT_NE(log, before) << "no new default log";
      const std::string text = ReadFileBytes(log);
      EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
      EXPECT_NE(text.find(" Host: x64\r\n"), std::string::npos) << text;
      EXPECT_NE(text.find(" 종료 코드: 0\r\n"), std::string::npos) << text;
      ::DeleteFileW(log.c_str());
      EXPECT_FALSE(PathExists(FolderOfPath(ProductDllPath(false)) + L"\\Uninstall.ps1"));
      // Offline: the removal asks the release server nothing, and leaves no
      // Setup.exe behind (the next start deletes the copy it moved aside).
      const size_t answersBeforeRemoval = TestServerRequests("/appLatest");
      bool removalShown = false;
      EXPECT_EQ(RunQuietUninstallString(&removalShown), std::optional<DWORD>(0));
      EXPECT_FALSE(removalShown);
      EXPECT_EQ(TestServerRequests("/appLatest"), answersBeforeRemoval);
      ::DeleteFileW(NewestDefaultLog().c_str());  // the removal's own
      EXPECT_FALSE(UninstallKeyExists());
      EXPECT_FALSE(PathExists(ProductDllPath(false)));
      EXPECT_FALSE(PathExists(FolderOfPath(ProductDllPath(false)) + L"\\Setup.exe"));
      EXPECT_FALSE(PathExists(FolderOfPath(ProductDllPath(false))));
      break;
    }
    case Situation::UninstallNeedingRestart: {
      EXPECT_FALSE(UninstallKeyExists());
      const std::string text = ReadFileBytes(logFile);
      EXPECT_EQ(text.find("an earlier run\r\n\r\n"), 0u) << text;
      // Right after the line naming the run (behind its 24-character time stamp).
      const size_t named = text.find(" 실행 (프로세스 ");
      ASSERT_NE(named, std::string::npos) << text;
      EXPECT_EQ(
          text.substr(text.find("\r\n", named) + 2 + 24)
              .rfind("이 Setup은 릴리스 키 없이 빌드되었습니다: 릴리스 서버의 응답과 릴리스 폴더를 서명 확인 없이 "
                     "신뢰합니다.\r\n",
                     0),
          0u)
          << text;
      EXPECT_NE(text.find(" removing\r\n"), std::string::npos) << text;
      // Without private namespaces the mutex keeps its global name, and says so.
      EXPECT_EQ(text.find(" 이 시스템에는 개인 네임스페이스가 없어 작업 뮤텍스를 전역 이름으로 만듭니다.\r\n") !=
                    std::string::npos,
                ChooseMutexPlace(SystemNamespaceCalls()) == MutexPlace::GlobalName)
          << text;
      EXPECT_NE(text.find(" 종료 코드: 3010\r\n"), std::string::npos) << text;
      break;
    }
    case Situation::UninstallWithoutJapanese: {
      EXPECT_TRUE(powerShell_.Runs().empty());
      EXPECT_TRUE(PathExists(ProductDllPath(false)));
      const std::string text = ReadFileBytes(logFile);
      EXPECT_NE(text.find(" 제거할 일본어 키보드가 설치되어 있지 않습니다.\r\n"), std::string::npos) << text;
      break;
    }
    case Situation::FailingScript: {
      EXPECT_EQ(NewestDefaultLog(), before);
      const std::string text = ReadFileBytes(alone_.File(L"relative\\new-folder\\x.txt"));
      EXPECT_NE(text.find(" 종료 코드: 1603\r\n"), std::string::npos) << text;
      break;
    }
    case Situation::ArabicOnly:
      ASSERT_EQ(powerShell_.Runs().size(), 1u);
      EXPECT_NE(powerShell_.Runs()[0].command.find(L"Install.ps1' -Language 'ja'"), std::wstring::npos)
          << powerShell_.Runs()[0].command.c_str();
      EXPECT_EQ(ReadUninstallValue(L"DisplayVersion")->text, L"2.4.0");
      break;
    case Situation::ArabicWithScriptIgnoringLanguage: {
      EXPECT_FALSE(ReadUninstallValue(L"DisplayVersion")) << "the entry got the new version";
      const std::string text = ReadFileBytes(NewestDefaultLog());
      EXPECT_NE(text.find(" asked for ja\r\n"), std::string::npos) << text;
      EXPECT_NE(text.find("설치 스크립트는 끝났지만 일본어 키보드가 설치되어 있지 않습니다 ("), std::string::npos)
          << text;
      break;
    }
    case Situation::NewerInstalled: {
      const bool allowed = arguments.find(L"/allowdowngrade") != std::wstring::npos;
      EXPECT_EQ(VersionText(program, L"ProductVersion"), L"2.4.0");
      EXPECT_EQ(VersionText(program, L"FileVersion"), VersionText(release_.SetupExe(), L"FileVersion"));
      EXPECT_EQ(InstalledPackageVersion(), allowed ? L"2.4.0" : L"9.0.0");
      // Extracting what it carries is all a refused run does.
      const auto runs = powerShell_.Runs();
      EXPECT_EQ(
          std::any_of(runs.begin(), runs.end(),
                      [](const PowerShellRun& run) { return run.command.find(L"Install.ps1") != std::wstring::npos; }),
          allowed);
      break;
    }
    case Situation::FailingAfterPlacingJapanese:
      // Removable, though not at a version the failed run may not have reached.
      EXPECT_TRUE(ReadUninstallValue(L"QuietUninstallString"));
      EXPECT_FALSE(ReadUninstallValue(L"DisplayVersion"));
      break;
    case Situation::SignedOnlyPolicy: {
      EXPECT_TRUE(powerShell_.Runs().empty());
      const std::string text = ReadFileBytes(NewestDefaultLog());
      EXPECT_NE(text.find("이 컴퓨터의 정책은 서명된 PowerShell 스크립트만 실행하지만, 설치 패키지의 "),
                std::string::npos)
          << text;
      break;
    }
    case Situation::SignedOnlyPolicyPinned:
      EXPECT_EQ(InstalledPackageVersion(), L"2.4.0");
      break;
    case Situation::RefusedCommandLine: {
      EXPECT_TRUE(powerShell_.Runs().empty());
      EXPECT_FALSE(UninstallKeyExists());
      const std::string text = ReadFileBytes(NewestDefaultLog());
      EXPECT_NE(text.find(arguments.find(L"/bogus") != std::wstring::npos ? " 알 수 없는 인수: /bogus\r\n"
                          : arguments.find(L"CON.log") != std::wstring::npos
                              ? " 로그 파일을 만들 수 없어 기본 로그를 씁니다: "
                              : " /uninstall 과 /update 는 함께 쓸 수 없습니다."),
                std::string::npos)
          << text;
      EXPECT_NE(text.find(" 종료 코드: 1639\r\n"), std::string::npos) << text;
      break;
    }
    case Situation::AnotherAtItsClosingMessage:
      // Ran while the other's box was still open, without waiting for it.
      EXPECT_TRUE(::IsWindow(closing->window));
      other.Answer(*closing, IDOK);
      EXPECT_EQ(other.CloseMainDialog(), std::optional<DWORD>(0));
      break;
    case Situation::AnotherSetupRunning:
      // The second waited for the first and never ran beside it.
      EXPECT_EQ(other.WaitForExit(60000), std::optional<DWORD>(0));
      EXPECT_EQ(powerShell_.Runs().size(), 2u);
      EXPECT_FALSE(PathExists(alone_.File(L"overlap")));
      break;
    case Situation::SingleFileWithNewerOnServer:
      EXPECT_EQ(TestServerRequests("/appLatest"), answersBefore) << "the server was asked";
      EXPECT_NE(ReadFileBytes(NewestDefaultLog()).find(" 단일 파일 Setup: 내장 패키지를 압축 해제합니다.\r\n"),
                std::string::npos);
      ::DeleteFileW((TestServerRoot() + L"\\appLatest").c_str());
      break;
    default:
      break;
  }
  if (c.situation != Situation::Install && NewestDefaultLog() != before) ::DeleteFileW(NewestDefaultLog().c_str());
}

INSTANTIATE_TEST_SUITE_P(Deployments, UnattendedTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<UnattendedCase>& info) { return info.param.name; });

}  // namespace
