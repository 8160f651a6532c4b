#include <windows.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"
#include "fakes/powershell/command_line.h"
#include "fakes/powershell/invocation_log.h"
#include "fakes/powershell/script_errors.h"
#include "fakes/powershell/script_expressions.h"
#include "fakes/powershell/script_interpreter.h"
#include "fakes/powershell/zip_extract.h"
#include "support/machine_paths.h"
#include "support/product_state.h"
#include "support/temp_folder.h"
#include "support/zip_builder.h"

namespace {

using namespace standin;

std::wstring Wrapper(const std::wstring& program, const std::wstring& script, const std::wstring& arguments) {
  return program +
         L" -NoProfile -ExecutionPolicy Bypass -Command \"$ErrorActionPreference='Stop'; $OutputEncoding = "
         L"[Console]::OutputEncoding = New-Object System.Text.UTF8Encoding $false; try { & " +
         QuotePowerShellLiteral(script) + arguments +
         L"; if ($null -ne $LASTEXITCODE -and $LASTEXITCODE -ne 0) { exit $LASTEXITCODE }; exit 0 } catch { $_ | "
         L"Out-String | Write-Host; exit 1 }\"";
}

struct CommandLineCase {
  std::wstring line;
  InvocationKind kind;
  bool wrapped;
  std::wstring path;
  std::wstring destination;
  std::optional<std::wstring> language;
};

TEST(PowerShellStandInCommandLine, ReadsTheInstallersThreeForms) {
  const std::wstring pwsh = L"powershell.exe -NoProfile -ExecutionPolicy Bypass -Command ";
  const CommandLineCase cases[] = {
      {Wrapper(L"powershell.exe", L"C:\\O'Brien's\\Install.ps1", L""), InvocationKind::kScript, true,
       L"C:\\O'Brien's\\Install.ps1", L"", std::nullopt},
      {Wrapper(L"\"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe\"", L"C:\\p k\\Uninstall.ps1",
               L" -Language 'ar'"),
       InvocationKind::kScript, true, L"C:\\p k\\Uninstall.ps1", L"", L"ar"},
      {pwsh + L"Expand-Archive -LiteralPath 'C:\\t\\a''b.zip' -DestinationPath 'C:\\t\\x y' -Force",
       InvocationKind::kExpandArchive, false, L"C:\\t\\a'b.zip", L"C:\\t\\x y", std::nullopt},
      {pwsh + L"\"Expand-Archive -LiteralPath 'C:\\a.zip' -DestinationPath 'C:\\d' -Force\"",
       InvocationKind::kExpandArchive, false, L"C:\\a.zip", L"C:\\d", std::nullopt},
      {pwsh + L"\"Remove-Item -LiteralPath 'C:\\t\\old' -Recurse -Force -ErrorAction SilentlyContinue\"",
       InvocationKind::kRemoveFolder, false, L"C:\\t\\old", L"", std::nullopt},
  };
  for (const CommandLineCase& c : cases) {
    std::wstring error;
    const std::optional<Invocation> invocation = ParseInvocation(c.line, error);
    ASSERT_TRUE(invocation.has_value()) << WideToUtf8(c.line) << ": " << WideToUtf8(error);
    EXPECT_EQ(invocation->kind, c.kind) << WideToUtf8(c.line);
    EXPECT_EQ(invocation->wrapped, c.wrapped) << WideToUtf8(c.line);
    EXPECT_EQ(invocation->path, c.path);
    EXPECT_EQ(invocation->destination, c.destination);
    EXPECT_EQ(invocation->language, c.language);
  }

  std::wstring changedEnd = Wrapper(L"powershell.exe", L"C:\\a.ps1", L"");
  changedEnd.replace(changedEnd.find(L"exit 0 }"), 8, L"exit 2 }");
  const std::wstring refused[] = {
      changedEnd,
      Wrapper(L"powershell.exe", L"C:\\a.ps1", L" -Language ja"),
      Wrapper(L"powershell.exe", L"C:\\a.ps1", L" -Verbose"),
      pwsh + L"Get-ChildItem 'C:\\'",
      pwsh + L"\"Remove-Item -LiteralPath 'C:\\t' -Recurse -Force\"",
      L"powershell.exe -NoProfile -File C:\\a.ps1",
  };
  for (const std::wstring& line : refused) {
    std::wstring error;
    EXPECT_FALSE(ParseInvocation(line, error).has_value()) << WideToUtf8(line);
    EXPECT_FALSE(error.empty());
  }
}

class PowerShellStandInExpressions : public testing::Test {
 protected:
  void SetUp() override {
    scope_.Set(L"x", L"abc");
    scope_.Set(L"Languages", L"ja,ar,hi");
    scope_.Set(L"Language", L"ar");
    scope_.Set(L"empty", L"");
    ::SetEnvironmentVariableW(L"ORLINTH_STANDIN_TEST", L"env-value");
  }
  void TearDown() override { ::SetEnvironmentVariableW(L"ORLINTH_STANDIN_TEST", nullptr); }
  ScriptScope scope_;
  TempFolder folder_;
};

TEST_F(PowerShellStandInExpressions, ExpandsConcatenatesAndReplaces) {
  const std::pair<std::wstring, std::optional<std::wstring>> cases[] = {
      {L"'it''s $x'", L"it's $x"},
      {L"\"$x-$LANGUAGE ${x}d $ 5\"", L"abc-ar abcd $ 5"},
      {L"\"a`$x `\"q`\" \"\"r\"\" `n.\"", L"a$x \"q\" \"r\" \n."},
      {L"$env:ORLINTH_STANDIN_TEST + '!' + $missing", L"env-value!"},
      {L"\",$Languages,\" -replace \",$Language,\", ',' -replace '^,+|,+$', ''", L"ja,hi"},
      {L"'A-b-a' -replace 'a', 'x'", L"x-b-x"},
      {L"('x' + $x) -replace 'B'", L"xac"},
      {L"$missing", std::nullopt},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(EvaluateExpression(text, scope_), expected) << WideToUtf8(text);
  }
  for (const wchar_t* unsupported : {L"1 + 2", L"$x.Length", L"\"$(Get-Date)\"", L"'open", L"$x -replace '('"}) {
    EXPECT_ANY_THROW(EvaluateExpression(unsupported, scope_)) << WideToUtf8(unsupported);
  }
}

TEST_F(PowerShellStandInExpressions, DecidesConditionsAsPowerShellDoes) {
  ASSERT_TRUE(WriteFileBytes(folder_.File(L"there.txt"), "x"));
  const std::wstring there = QuotePowerShellLiteral(folder_.File(L"there.txt"));
  const std::wstring gone = QuotePowerShellLiteral(folder_.File(L"gone.txt"));
  const std::pair<std::wstring, bool> cases[] = {
      {L"$x -eq 'ABC'", true},
      {L"$x -ne 'abc'", false},
      {L"$missing -eq ''", false},
      {L"$missing -eq $alsoMissing", true},
      {L"$empty", false},
      {L"-not $missing", true},
      {L"-not ($x -eq 'b')", true},
      {L"$Languages -like 'JA,*'", true},
      {L"$x -like 'a?c'", true},
      {L"$x -like 'a?'", false},
      {L"$x -notlike '*b'", true},
      {L"\"x$x\" -like '*A*C'", true},
      {L"Test-Path " + there, true},
      {L"-not (Test-Path " + gone + L")", true},
      {L"Test-Path 'HKLM:\\SOFTWARE'", true},
      {L"Test-Path 'HKLM:\\SOFTWARE\\Orlinth-No-Such-Key'", false},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(EvaluateCondition(text, scope_), expected) << WideToUtf8(text);
  }
  EXPECT_THROW(EvaluateCondition(L"Test-Path $missing", scope_), ScriptRuntimeError);
  EXPECT_THROW(EvaluateCondition(L"-not $x -eq 'abc'", scope_), ScriptUnsupported);
}

struct ScriptResult {
  int exitCode = -1;
  std::vector<std::wstring> lines;
};

ScriptResult RunScript(const TempFolder& folder, const std::string& text, const ScriptArguments& arguments = {}) {
  EXPECT_TRUE(WriteFileBytes(folder.File(L"test.ps1"), text));
  ScriptResult result;
  ScriptInterpreter interpreter([&](const std::wstring& line) { result.lines.push_back(line); });
  result.exitCode = interpreter.RunFile(folder.File(L"test.ps1"), arguments);
  return result;
}

TEST(PowerShellStandInScript, RunsFilesRegistryAndBlocks) {
  TempFolder folder;
  constexpr wchar_t kKey[] = L"SOFTWARE\\Orlinth-StandIn-Test";
  ASSERT_TRUE(WriteFileBytes(folder.File(L"common.ps1"),
                             "$Target = \"$PSScriptRoot\\out\\deep\"\n"
                             "$Key = 'HKLM:\\SOFTWARE\\Orlinth-StandIn-Test'\n"));
  const std::string script =
      "# comment\n"
      "param([string]$Language = 'none')\n"
      ". \"$PSScriptRoot\\common.ps1\"\n"
      "New-Item -ItemType Directory -Force -Path $Target | Out-Null\n"
      "Set-Content -Path \"$Target\\a.txt\" -Value \"lang $Language\" -Encoding UTF8\n"
      "Copy-Item -Path \"$Target\\a.txt\" -Destination \"$PSScriptRoot\\out\" -Force\n"
      "Set-ItemProperty -Path $Key -Name Langs -Value 'ja,ar'\n"
      "$Langs = (Get-ItemProperty -Path $Key -Name Langs -ErrorAction SilentlyContinue).Langs\n"
      "$None = (Get-ItemProperty -Path $Key -Name Nothing -ErrorAction SilentlyContinue).Nothing\n"
      "if ($Langs -like '*ar*') {   # nested blocks, only one branch each\n"
      "    if (-not $None) {\n"
      "        Write-Host 'found' $Langs\n"
      "    } else {\n"
      "        throw 'wrong branch'\n"
      "    }\n"
      "} elseif (Test-Path $Key) {\n"
      "    throw 'wrong branch'\n"
      "}\n"
      "Remove-ItemProperty -Path $Key -Name Langs\n"
      "Remove-ItemProperty -Path $Key -Name Langs -ErrorAction SilentlyContinue\n"
      "Write-Output \"$Language\"\n"
      "'bare' + ' text'\n"
      "Remove-Item -Path $Key -Recurse -Force\n"
      "if (Test-Path $Key) {\n"
      "    'key left'\n"
      "}\n";
  const ScriptResult result = RunScript(folder, script, {{L"Language", L"ja"}});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.lines, (std::vector<std::wstring>{L"found ja,ar", L"ja", L"bare text"}));
  EXPECT_EQ(ReadFileBytes(folder.File(L"out\\deep\\a.txt")), "lang ja\r\n");
  EXPECT_EQ(ReadFileBytes(folder.File(L"out\\a.txt")), "lang ja\r\n");
  UniqueRegKey key;
  EXPECT_NE(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ | KEY_WOW64_64KEY, key.put()), ERROR_SUCCESS);
}

struct ExitCase {
  std::string script;
  int exitCode;
  std::vector<std::wstring> firstLines;
};

TEST(PowerShellStandInScript, EndsWithTheWrappersExitCodes) {
  TempFolder folder;
  const std::wstring path = folder.File(L"test.ps1");
  const ExitCase cases[] = {
      {"Write-Host 'a'\nexit 7\nWrite-Host 'b'\n", 7, {L"a"}},
      {"Write-Host 'a'\nexit 0\nWrite-Host 'b'\n", 0, {L"a"}},
      {"if ('') {\n  exit 3\n}\nWrite-Host 'end'\n", 0, {L"end"}},
      {"Write-Host 'a'\nthrow \"broken $PSScriptRoot\"\n", 1, {L"a", L"broken " + folder.path()}},
      {"Copy-Item -Path 'C:\\no\\such.file' -Destination 'C:\\'\n",
       1,
       {L"Cannot find path 'C:\\no\\such.file' because it does not exist."}},
      // Nothing runs when any line is outside the subset, as with a parse error.
      {"Write-Host 'a'\nif ($x) {\n  Get-Date\n}\n", 1, {path + L":3: not supported: Get-Date"}},
      {"Write-Host 'a'; Write-Host 'b'\n", 1, {path + L":1: not supported: Write-Host 'a'; Write-Host 'b'"}},
      {"if ($x) {\nWrite-Host 'a'\n", 1, {path + L":1: not supported: if ($x) {"}},
      {"Write-Host 'a'\nparam([string]$Language)\n", 1, {path + L":2: not supported: param([string]$Language)"}},
      {"param([string]$Other)\n", 1, {L"A parameter cannot be found that matches parameter name 'Language'."}},
  };
  for (const ExitCase& c : cases) {
    const ScriptResult result = RunScript(folder, c.script, {{L"Language", L"ja"}});
    EXPECT_EQ(result.exitCode, c.exitCode) << c.script;
    ASSERT_GE(result.lines.size(), c.firstLines.size()) << c.script;
    for (size_t i = 0; i < c.firstLines.size(); ++i) EXPECT_EQ(result.lines[i], c.firstLines[i]) << c.script;
  }
}

TEST(PowerShellStandInScript, StopsAtCmdletErrorsUnlessSilenced) {
  TempFolder folder;
  ASSERT_TRUE(::CreateDirectoryW(folder.File(L"full").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(folder.File(L"full\\x.txt"), "x"));
  const std::string missing = "'" + WideToUtf8(folder.File(L"missing")) + "'";
  const std::string full = "'" + WideToUtf8(folder.File(L"full")) + "'";
  const std::pair<std::string, int> cases[] = {
      {"Remove-Item -Path " + missing + " -Recurse -Force -ErrorAction SilentlyContinue", 0},
      {"Remove-Item -Path " + missing + " -Force", 1},
      {"Remove-Item -Path " + full + " -Force", 1},  // contents need -Recurse
      {"New-Item -ItemType Directory -Path " + full, 1},
      {"New-Item -ItemType Directory -Force -Path " + full + " | Out-Null", 0},
      {"Set-Content -Path " + missing + "\\a.txt -Value 'x'", 1},
      {"$v = (Get-ItemProperty -Path 'HKLM:\\SOFTWARE\\Orlinth-No-Such-Key' -Name X).X", 1},
      {"New-Item -Path 'HKCU:\\Software\\Orlinth-StandIn-Test' -Force", 1},
      {"Start-Sleep -Seconds 'soon'", 1},
  };
  for (const auto& [script, exitCode] : cases) {
    EXPECT_EQ(RunScript(folder, script + "\n").exitCode, exitCode) << script;
  }
  EXPECT_TRUE(PathExists(folder.File(L"full\\x.txt")));

  // As with the real cmdlet, New-Item -Force on an existing key leaves it empty.
  const ScriptResult replaced =
      RunScript(folder,
                "$Key = 'HKLM:\\SOFTWARE\\Orlinth-StandIn-Test'\n"
                "Set-ItemProperty -Path $Key -Name Kept -Value 'yes'\n"
                "New-Item -Path $Key -Force | Out-Null\n"
                "$Kept = (Get-ItemProperty -Path $Key -Name Kept -ErrorAction SilentlyContinue).Kept\n"
                "Remove-Item -Path $Key -Recurse -Force\n"
                "\"kept: $Kept\"\n");
  EXPECT_EQ(replaced.exitCode, 0);
  EXPECT_EQ(replaced.lines, std::vector<std::wstring>{L"kept: "});
}

TEST(PowerShellStandInScript, PrintsEachLineBeforeSleeping) {
  TempFolder folder;
  ASSERT_TRUE(WriteFileBytes(folder.File(L"test.ps1"),
                             "Write-Host 'before'\nStart-Sleep -Milliseconds 400\nWrite-Host 'after'\n"));
  std::vector<std::chrono::steady_clock::time_point> arrivals;
  ScriptInterpreter interpreter([&](const std::wstring&) { arrivals.push_back(std::chrono::steady_clock::now()); });
  EXPECT_EQ(interpreter.RunFile(folder.File(L"test.ps1"), {}), 0);
  ASSERT_EQ(arrivals.size(), 2u);
  EXPECT_GE(arrivals[1] - arrivals[0], std::chrono::milliseconds(350));
}

std::wstring SamplePackageFile(const wchar_t* name) {
  std::wstring path = L"Z:" STANDIN_SAMPLE_PACKAGE L"/";
  path += name;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::optional<std::wstring> InstalledLanguages() {
  wchar_t value[256] = {};
  DWORD size = sizeof(value);
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orlinth-Japanese", L"InstalledLanguages",
                     RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

struct SampleStep {
  const wchar_t* script;
  const wchar_t* language;
  std::optional<std::wstring> languagesAfter;  // nullopt: the product key is gone
  bool productFilesAfter;
};

TEST(PowerShellStandInSamplePackage, InstallsAddsAndRemovesLanguagesAndUninstalls) {
  CleanProductState clean;
  ASSERT_TRUE(PlantSetupLock());  // Setup's lock shares the data folder and must survive
  const std::wstring manifest = FolderOfPath(ExpectedSetupLockPath()) + L"\\manifest.json";
  const std::vector<std::wstring> installLines = {L"Host: x64",
                                                  L"Install x64: copying files",
                                                  L"Verify registry",
                                                  L"Enabling Orlinth",
                                                  L"Selecting Orlinth for the current session",
                                                  L"Installation complete"};
  const std::vector<std::wstring> uninstallLines = {L"Removing Orlinth from other user profiles",
                                                    L"Removed Orlinth from the input list", L"Unregister text service",
                                                    L"Uninstall complete"};
  const SampleStep steps[] = {
      {L"Install.ps1", nullptr, L"ja", true},  {L"Install.ps1", L"ar", L"ja,ar", true},
      {L"Install.ps1", L"ar", L"ja,ar", true}, {L"Install.ps1", nullptr, L"ja,ar", true},
      {L"Uninstall.ps1", L"ja", L"ar", true},  {L"Uninstall.ps1", nullptr, std::nullopt, false},
      {L"Install.ps1", L"hi", L"hi", true},
  };
  for (const SampleStep& step : steps) {
    ScriptArguments arguments;
    if (step.language != nullptr) arguments.emplace_back(L"Language", step.language);
    std::vector<std::wstring> lines;
    ScriptInterpreter interpreter([&](const std::wstring& line) { lines.push_back(line); });
    const std::string what = WideToUtf8(step.script) + " " + WideToUtf8(step.language ? step.language : L"-");
    EXPECT_EQ(interpreter.RunFile(SamplePackageFile(step.script), arguments), 0) << what;
    EXPECT_EQ(lines, std::wstring(step.script) == L"Install.ps1" ? installLines : uninstallLines) << what;
    EXPECT_EQ(InstalledLanguages(), step.languagesAfter) << what;
    EXPECT_EQ(PathExists(ProductDllPath(false)), step.productFilesAfter) << what;
    EXPECT_EQ(PathExists(manifest), step.productFilesAfter) << what;
  }
  EXPECT_EQ(ReadFileBytes(ProductDllPath(false)), ReadFileBytes(SamplePackageFile(L"Orlinth-Japanese.dll")));
  EXPECT_TRUE(PathExists(ExpectedSetupLockPath()));
  ::DeleteFileW(manifest.c_str());
}

// Little-endian fields of the given byte widths.

TEST(PowerShellStandInZip, ExtractsStoredAndDeflatedEntriesOverExistingFiles) {
  TempFolder folder;
  const std::string text(5000, 'z');
  ZipBuilder zip;
  zip.Add("Install.ps1", "Write-Host 'x'\r\n", false);
  zip.Add("bin/x64\\Orlinth.dll", "MZ" + text, true);
  zip.Add("empty/", "", false);
  zip.Add("zero.txt", "", true);
  ASSERT_TRUE(WriteFileBytes(folder.File(L"p.zip"), zip.Finish()));
  ASSERT_TRUE(::CreateDirectoryW(folder.File(L"out").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(folder.File(L"out\\Install.ps1"), "old and longer content"));

  EXPECT_EQ(ExtractZipArchive(folder.File(L"p.zip"), folder.File(L"out"), true), L"");
  EXPECT_EQ(ReadFileBytes(folder.File(L"out\\Install.ps1")), "Write-Host 'x'\r\n");
  EXPECT_EQ(ReadFileBytes(folder.File(L"out\\bin\\x64\\Orlinth.dll")), "MZ" + text);
  EXPECT_TRUE(PathExists(folder.File(L"out\\empty")));
  EXPECT_TRUE(PathExists(folder.File(L"out\\zero.txt")));
  EXPECT_NE(ExtractZipArchive(folder.File(L"p.zip"), folder.File(L"out"), false), L"");
}

TEST(PowerShellStandInZip, RefusesEscapingDamagedAndMissingArchivesWithoutWriting) {
  TempFolder folder;
  for (const char* escaping : {"../evil.txt", "a/../../evil.txt", "/evil.txt", "C:evil.txt", "a\\...\\evil.txt"}) {
    ZipBuilder zip;
    zip.Add("good.txt", "good", false);
    zip.Add(escaping, "evil", true);
    ASSERT_TRUE(WriteFileBytes(folder.File(L"bad.zip"), zip.Finish()));
    const std::wstring error = ExtractZipArchive(folder.File(L"bad.zip"), folder.File(L"out"), true);
    EXPECT_NE(error.find(L"outside the destination"), std::wstring::npos) << escaping;
    EXPECT_FALSE(PathExists(folder.File(L"out\\good.txt"))) << escaping;
    EXPECT_FALSE(PathExists(folder.File(L"evil.txt"))) << escaping;
  }
  ZipBuilder zip;
  zip.Add("a.txt", "some text to check", true);
  std::string damaged = zip.Finish();
  damaged[30 + 5] ^= 0x55;  // the first byte of a.txt's data
  ASSERT_TRUE(WriteFileBytes(folder.File(L"damaged.zip"), damaged));
  ASSERT_TRUE(WriteFileBytes(folder.File(L"short.zip"), zip.Finish().substr(0, 40)));
  ASSERT_TRUE(WriteFileBytes(folder.File(L"named.tmp"), zip.Finish()));
  for (const wchar_t* name : {L"damaged.zip", L"short.zip", L"missing.zip", L"named.tmp"}) {
    EXPECT_NE(ExtractZipArchive(folder.File(name), folder.File(L"out"), true), L"") << WideToUtf8(name);
    EXPECT_FALSE(PathExists(folder.File(L"out\\a.txt"))) << WideToUtf8(name);
  }
}

TEST(PowerShellStandInLog, AppendsOneRecordPerRun) {
  TempFolder folder;
  const std::wstring log = folder.File(L"calls.log");
  ::SetEnvironmentVariableW(L"ORLINTH_POWERSHELL_LOG", log.c_str());
  ::SetEnvironmentVariableW(L"ORLINTH_SETUP_PID", L"321");
  ::SetEnvironmentVariableW(L"PSModulePath", L"C:\\m");
  ::SetEnvironmentVariableW(L"COR_ENABLE_PROFILING", L"1");
  EXPECT_EQ(AppendInvocationRecord(L"powershell.exe -Command \"é\""), L"");
  ::SetEnvironmentVariableW(L"ORLINTH_SETUP_PID", nullptr);
  ::SetEnvironmentVariableW(L"PSModulePath", nullptr);
  ::SetEnvironmentVariableW(L"COR_ENABLE_PROFILING", nullptr);
  EXPECT_EQ(AppendInvocationRecord(L"second"), L"");
  ::SetEnvironmentVariableW(L"ORLINTH_POWERSHELL_LOG", nullptr);

  wchar_t current[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, current);
  const std::string folderLine = "folder: " + WideToUtf8(current) + "\n";
  auto variable = [](const wchar_t* name) {
    wchar_t value[4096] = {};
    ::GetEnvironmentVariableW(name, value, 4096);
    return WideToUtf8(name) + ": " + WideToUtf8(value) + "\n";
  };
  const std::string tempAndPath =
      variable(L"TEMP") + variable(L"PATH") + variable(L"ALLUSERSPROFILE") + variable(L"CommonProgramFiles");
  EXPECT_EQ(ReadFileBytes(log), "command: powershell.exe -Command \"\xC3\xA9\"\n" + folderLine +
                                    "PSModulePath: C:\\m\n" + tempAndPath +
                                    "COR_ENABLE_PROFILING: 1\nCOR_PROFILER_PATH: \nORLINTH_SETUP_PID: 321\n\n" +
                                    "command: second\n" + folderLine + "PSModulePath: \n" + tempAndPath +
                                    "COR_ENABLE_PROFILING: \nCOR_PROFILER_PATH: \nORLINTH_SETUP_PID: \n\n");
}

}  // namespace
