// Version ordering, the hand-off arguments and the deferred replacement script.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/path_helpers.h"
#include "selfupdate/deferred_replace.h"
#include "selfupdate/handoff_arguments.h"
#include "selfupdate/self_update.h"
#include "selfupdate/update_locations.h"
#include "selfupdate/version_compare.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"

namespace {

TEST(CompareVersions, OrdersNumbersComponentWiseAndTheRestAsText) {
  const struct {
    const wchar_t* a;
    const wchar_t* b;
    int expected;
  } rows[] = {
      {L"1.0.20", L"1.0.19", 1},      {L"1.0.19", L"1.0.19", 0},    {L"1.0.19.0", L"1.0.19", 0},
      {L"1.0.19.1", L"1.0.19", 1},    {L"1.1", L"1.0.19", 1},       {L"1.0.9", L"1.0.19", -1},
      {L"01.00.019", L"1.0.19", 0},   {L"1.0.19-beta", L"1.0.19", 1}, {L"ver1.0.20", L"1.0.19", 1},
      {L"", L"1.0.19", -1},           {L"1.0.19", L"1.0.19-hotfix", -1}, {L"", L"", 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CompareVersions(row.a, row.b), row.expected) << row.a << L" vs " << row.b;
    EXPECT_EQ(CompareVersions(row.b, row.a), -row.expected) << row.b << L" vs " << row.a;
  }
}

TEST(HandOffArguments, DropEveryApplySwitchAndQuoteSpacedArguments) {
  EXPECT_EQ(StripApplySwitches(L"/apply-self-update:\"C:\\My Files\\Setup.exe\" /APPLY-SELF-VERSION:1.0.20 "
                               L"--apply-self-pid:42 --Apply-Self-Update:x /apply-self-versionless /update"),
            L"/update");
  EXPECT_EQ(StripApplySwitches(L"/update \"a b\" /noselfupdate"), L"/update \"a b\" /noselfupdate");
  EXPECT_EQ(StripApplySwitches(L""), L"");
  EXPECT_EQ(QuoteIfSpaced(L"C:\\a b\\Setup.exe"), L"\"C:\\a b\\Setup.exe\"");
  EXPECT_EQ(QuoteIfSpaced(L"C:\\ab\\Setup.exe"), L"C:\\ab\\Setup.exe");

  // A stray pid switch from the user is not passed on; "/update" is.
  EXPECT_EQ(BuildHandOffParameters(L"C:\\Down loads\\Setup.exe", L"1.0.20", 77, L"/apply-self-pid:5 /update"),
            L"/apply-self-update:\"C:\\Down loads\\Setup.exe\" /apply-self-version:1.0.20 /apply-self-pid:77 "
            L"/noselfupdate /update");
  EXPECT_EQ(BuildHandOffParameters(L"C:\\d\\Setup.exe", L"1.0.20", 1, L""),
            L"/apply-self-update:C:\\d\\Setup.exe /apply-self-version:1.0.20 /apply-self-pid:1 /noselfupdate");

  EXPECT_EQ(BuildRelaunchArguments(L"/apply-self-update:x /noselfupdate /update"), L"/noselfupdate /update");
  EXPECT_EQ(BuildRelaunchArguments(L"/update"), L"/update /noselfupdate");
  EXPECT_EQ(BuildRelaunchArguments(L"/apply-self-update:x"), L"/noselfupdate");

  EXPECT_EQ(CleanHandOffPath(L"\":\"C:\\d\\Setup.exe\"\""), L"C:\\d\\Setup.exe");
  EXPECT_EQ(CleanHandOffPath(L":C:\\d\\Setup.exe"), L"C:\\d\\Setup.exe");
  EXPECT_EQ(CleanHandOffPath(L"\"\":"), L"");
  EXPECT_EQ(VersionedSetupName(L"1.0.20"), L"OrlinthSetup-Japanese-1.0.20.exe");
}

const ReplaceScriptPaths kRenamed = {L"C:\\Local\\OrlinthSetup-Japanese-1.0.20.exe",
                                     L"C:\\Down loads\\OrlinthSetup-Japanese-1.0.19.exe",
                                     L"C:\\Down loads\\OrlinthSetup-Japanese-1.0.20.exe", L"C:\\Local\\r.log"};

TEST(ReplaceScript, UnderANewNameDeletesTheOldFileAndPassesTheArguments) {
  EXPECT_EQ(ComposeReplaceScript(kRenamed, L"/noselfupdate /update"),
            L"@echo off\r\n"
            L"setlocal\r\n"
            L"ping 127.0.0.1 -n 5 >nul\r\n"
            L"echo [cmd] start>>\"C:\\Local\\r.log\"\r\n"
            L"echo [cmd] src=C:\\Local\\OrlinthSetup-Japanese-1.0.20.exe>>\"C:\\Local\\r.log\"\r\n"
            L"echo [cmd] old=C:\\Down loads\\OrlinthSetup-Japanese-1.0.19.exe>>\"C:\\Local\\r.log\"\r\n"
            L"echo [cmd] dest=C:\\Down loads\\OrlinthSetup-Japanese-1.0.20.exe>>\"C:\\Local\\r.log\"\r\n"
            L"del /f /q \"C:\\Down loads\\OrlinthSetup-Japanese-1.0.19.exe.old\" 2>nul\r\n"
            L"if exist \"C:\\Down loads\\OrlinthSetup-Japanese-1.0.19.exe\" (\r\n"
            L"  move /y \"C:\\Down loads\\OrlinthSetup-Japanese-1.0.19.exe\" "
            L"\"C:\\Down loads\\OrlinthSetup-Japanese-1.0.19.exe.old\" >>\"C:\\Local\\r.log\" 2>&1\r\n"
            L")\r\n"
            L"copy /y \"C:\\Local\\OrlinthSetup-Japanese-1.0.20.exe\" "
            L"\"C:\\Down loads\\OrlinthSetup-Japanese-1.0.20.exe\" >>\"C:\\Local\\r.log\" 2>&1\r\n"
            L"del /f /q \"C:\\Down loads\\OrlinthSetup-Japanese-1.0.19.exe.old\" 2>nul\r\n"
            L"del /f /q \"C:\\Down loads\\OrlinthSetup-Japanese-1.0.19.exe\" 2>nul\r\n"
            L"if exist \"C:\\Down loads\\OrlinthSetup-Japanese-1.0.20.exe\" (\r\n"
            L"  echo [cmd] launch dest>>\"C:\\Local\\r.log\"\r\n"
            L"  start \"Orlinth Setup\" \"C:\\Down loads\\OrlinthSetup-Japanese-1.0.20.exe\" /noselfupdate /update\r\n"
            L") else (\r\n"
            L"  echo [cmd] launch fallback>>\"C:\\Local\\r.log\"\r\n"
            L"  start \"Orlinth Setup\" \"C:\\Local\\OrlinthSetup-Japanese-1.0.20.exe\" /noselfupdate /update\r\n"
            L")\r\n"
            L"del /f /q \"%~f0\" 2>nul\r\n");
}

TEST(ReplaceScript, UnderTheSameNamePutsTheOldFileBackWhenTheCopyFails) {
  const ReplaceScriptPaths same = {L"C:\\Local\\S.exe", L"C:\\d\\Setup.exe", L"c:\\D\\SETUP.exe", L"C:\\l.log"};
  EXPECT_EQ(ComposeReplaceScript(same, L""),
            L"@echo off\r\n"
            L"setlocal\r\n"
            L"ping 127.0.0.1 -n 5 >nul\r\n"
            L"echo [cmd] start>>\"C:\\l.log\"\r\n"
            L"echo [cmd] src=C:\\Local\\S.exe>>\"C:\\l.log\"\r\n"
            L"echo [cmd] old=C:\\d\\Setup.exe>>\"C:\\l.log\"\r\n"
            L"echo [cmd] dest=c:\\D\\SETUP.exe>>\"C:\\l.log\"\r\n"
            L"del /f /q \"C:\\d\\Setup.exe.old\" 2>nul\r\n"
            L"if exist \"C:\\d\\Setup.exe\" (\r\n"
            L"  move /y \"C:\\d\\Setup.exe\" \"C:\\d\\Setup.exe.old\" >>\"C:\\l.log\" 2>&1\r\n"
            L")\r\n"
            L"copy /y \"C:\\Local\\S.exe\" \"c:\\D\\SETUP.exe\" >>\"C:\\l.log\" 2>&1\r\n"
            L"if errorlevel 1 move /y \"C:\\d\\Setup.exe.old\" \"C:\\d\\Setup.exe\" >>\"C:\\l.log\" 2>&1\r\n"
            L"del /f /q \"C:\\d\\Setup.exe.old\" 2>nul\r\n"
            L"if exist \"c:\\D\\SETUP.exe\" (\r\n"
            L"  echo [cmd] launch dest>>\"C:\\l.log\"\r\n"
            L"  start \"Orlinth Setup\" \"c:\\D\\SETUP.exe\"\r\n"
            L") else (\r\n"
            L"  echo [cmd] launch fallback>>\"C:\\l.log\"\r\n"
            L"  start \"Orlinth Setup\" \"C:\\Local\\S.exe\"\r\n"
            L")\r\n"
            L"del /f /q \"%~f0\" 2>nul\r\n");
}

// Runs the script for real: the new Setup cannot be read, so the old one must
// survive under its name and be started again.
TEST(ReplaceScript, AFailedSameNameCopyKeepsTheOldSetup) {
  TempFolder folder;
  const std::wstring old = folder.File(L"Setup.exe");
  const std::string program = ReadFileBytes(JoinPath(GetSetupFolder(), L"planted_program.exe"));
  ASSERT_FALSE(program.empty());
  ASSERT_TRUE(WriteFileBytes(old, program));
  const std::wstring script = folder.File(L"replace.cmd");
  const std::wstring log = folder.File(L"replace.log");
  const ReplaceScriptPaths paths = {folder.File(L"missing.exe"), old, old, log};
  const std::wstring text = ComposeReplaceScript(paths, L"/noselfupdate");
  ASSERT_TRUE(WriteFileBytes(script, std::string(text.begin(), text.end())));  // plain ASCII paths

  ::SetEnvironmentVariableW(L"ORLINTH_MARKER_DIR", folder.path().c_str());
  std::wstring commandLine = L"cmd.exe /c \"" + script + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  ASSERT_TRUE(::CreateProcessW((SystemFolder() + L"\\cmd.exe").c_str(), commandLine.data(), nullptr, nullptr,
                               FALSE, CREATE_NO_WINDOW, nullptr, folder.path().c_str(), &startup, &started));
  ::WaitForSingleObject(started.hProcess, 30000);
  ::CloseHandle(started.hProcess);
  ::CloseHandle(started.hThread);
  ::SetEnvironmentVariableW(L"ORLINTH_MARKER_DIR", nullptr);

  EXPECT_TRUE(ReadFileBytes(old) == program) << "the old Setup was lost or changed";
  EXPECT_FALSE(PathExists(old + L".old"));
  EXPECT_FALSE(PathExists(script));
  EXPECT_NE(ReadFileBytes(log).find("[cmd] launch dest"), std::string::npos) << ReadFileBytes(log);
  // "start" does not wait for the program it starts.
  EXPECT_TRUE(WaitUntil([&] { return PathExists(folder.File(L"Setup.exe.ran")); }));
}

}  // namespace
