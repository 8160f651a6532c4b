// Version ordering, the hand-off arguments and the deferred replacement script.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "base/path_helpers.h"
#include "base/setup_file_name.h"
#include "base/text_helpers.h"
#include "selfupdate/cmd_text.h"
#include "selfupdate/deferred_replace.h"
#include "selfupdate/handoff_arguments.h"
#include "selfupdate/self_update.h"
#include "selfupdate/update_locations.h"
#include "selfupdate/version_compare.h"
#include "support/setup_driver.h"
#include "support/temp_folder.h"
#include "support/test_setting.h"

namespace {

TEST(CompareVersions, OrdersNumbersComponentWiseAndTheRestAsText) {
  const struct {
    const wchar_t* a;
    const wchar_t* b;
    int expected;
  } rows[] = {
      {L"1.0.20", L"1.0.19", 1},
      {L"1.0.19", L"1.0.19", 0},
      {L"1.0.19.0", L"1.0.19", 0},
      {L"1.0.19.1", L"1.0.19", 1},
      {L"1.1", L"1.0.19", 1},
      {L"1.0.9", L"1.0.19", -1},
      {L"01.00.019", L"1.0.19", 0},
      {L"1.0.19-beta", L"1.0.19", 1},
      {L"ver1.0.20", L"1.0.19", 1},
      {L"", L"1.0.19", -1},
      {L"1.0.19", L"1.0.19-hotfix", -1},
      {L"", L"", 0},
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

  for (const wchar_t* name :
       {L"Setup.exe", L"SETUP.EXE", L"OrlinthSetup-Japanese-1.0.19.exe", L"orlinth-setup-2.EXE"}) {
    EXPECT_TRUE(IsSetupFileName(name)) << name;
  }
  for (const wchar_t* name : {L"victim.sys", L"Setup.exe.sys", L"MySetup.exe", L"OrlinthSetup-Japanese.dll", L""}) {
    EXPECT_FALSE(IsSetupFileName(name)) << name;
  }
}

// A folder name full of what cmd would expand or split at, and arguments too.
const ReplaceScriptPaths kRenamed = {
    L"C:\\Local\\OrlinthSetup-Japanese-1.0.20.exe", L"C:\\R&D 100% (new)\\OrlinthSetup-Japanese-1.0.19.exe",
    L"C:\\R&D 100% (new)\\OrlinthSetup-Japanese-1.0.20.exe", L"C:\\Local\\r.log", L"C:\\windows\\system32\\ping.exe"};

TEST(ReplaceScript, UnderANewNameEscapesEveryPathAndArgument) {
  const std::wstring log = L">>\"C:\\Local\\r.log\"";
  const std::wstring old = L"\"C:\\R&D 100%% (new)\\OrlinthSetup-Japanese-1.0.19.exe";
  const std::wstring fresh = L"\"C:\\R&D 100%% (new)\\OrlinthSetup-Japanese-1.0.20.exe\"";
  const std::wstring source = L"\"C:\\Local\\OrlinthSetup-Japanese-1.0.20.exe\"";
  const std::wstring arguments = L" /noselfupdate \"a&b (1) 5%%\" x^&y^)";
  EXPECT_EQ(ComposeReplaceScript(kRenamed, L"/noselfupdate \"a&b (1) 5%\" x&y)"),
            L"@echo off\r\n"
            L"setlocal\r\n"
            L"\"C:\\windows\\system32\\ping.exe\" 127.0.0.1 -n 5 >nul\r\n"
            L"echo [cmd] start" +
                log +
                L"\r\n"
                L"echo [cmd] src=C:\\Local\\OrlinthSetup-Japanese-1.0.20.exe" +
                log +
                L"\r\n"
                L"echo [cmd] old=C:\\R^&D 100%% ^(new^)\\OrlinthSetup-Japanese-1.0.19.exe" +
                log +
                L"\r\n"
                L"echo [cmd] dest=C:\\R^&D 100%% ^(new^)\\OrlinthSetup-Japanese-1.0.20.exe" +
                log +
                L"\r\n"
                L"del /f /q " +
                old +
                L".old\" 2>nul\r\n"
                L"if exist " +
                old +
                L"\" (\r\n"
                L"  move /y " +
                old + L"\" " + old + L".old\" " + log +
                L" 2>&1\r\n"
                L")\r\n"
                L"copy /y " +
                source + L" " + fresh + L" " + log +
                L" 2>&1\r\n"
                L"if errorlevel 1 (\r\n"
                L"  move /y " +
                old + L".old\" " + old + L"\" " + log +
                L" 2>&1\r\n"
                L") else (\r\n"
                L"  del /f /q " +
                old +
                L"\" 2>nul\r\n"
                L")\r\n"
                L"del /f /q " +
                old +
                L".old\" 2>nul\r\n"
                L"if exist " +
                fresh +
                L" (\r\n"
                L"  echo [cmd] launch dest" +
                log +
                L"\r\n"
                L"  start \"Orlinth Setup\" " +
                fresh + arguments +
                L"\r\n"
                L") else (\r\n"
                L"  echo [cmd] launch fallback" +
                log +
                L"\r\n"
                L"  start \"Orlinth Setup\" " +
                source + arguments +
                L"\r\n"
                L")\r\n"
                L"del /f /q \"%~f0\" 2>nul\r\n");
}

TEST(ReplaceScript, UnderTheSameNamePutsTheOldFileBackWhenTheCopyFails) {
  const ReplaceScriptPaths same = {L"C:\\Local\\S.exe", L"C:\\d\\Setup.exe", L"c:\\D\\SETUP.exe", L"C:\\l.log",
                                   L"C:\\w\\ping.exe"};
  EXPECT_EQ(ComposeReplaceScript(same, L""),
            L"@echo off\r\n"
            L"setlocal\r\n"
            L"\"C:\\w\\ping.exe\" 127.0.0.1 -n 5 >nul\r\n"
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

TEST(EncodeForCmd, RefusesWhatTheConsoleCodePageCannotHold) {
  std::string bytes;
  EXPECT_TRUE(EncodeForCmd(L"copy \"C:\\R&D\\Setup.exe\"\r\n", &bytes));
  EXPECT_EQ(bytes, "copy \"C:\\R&D\\Setup.exe\"\r\n");
  EXPECT_FALSE(EncodeForCmd(L"copy \"C:\\Users\\\U0001F600\\Setup.exe\"\r\n", &bytes));
}

// The real script, scheduled as Setup schedules it and run by cmd, for an old
// Setup in a folder whose name cmd would misread if it were not escaped (and
// which the ANSI code page would spell differently from the console's).
class DeferredScriptTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(::CreateDirectoryW(setups_.c_str(), nullptr));
    program_ = ReadFileBytes(JoinPath(GetSetupFolder(), L"planted_program.exe"));
    ASSERT_FALSE(program_.empty());
    ::DeleteFileW(ReplaceLogPath().c_str());
    SetTestSetting(L"ORLINTH_MARKER_DIR", folder_.path());
    // A ping of the user's, where Setup was started from.
    ASSERT_TRUE(WriteFileBytes(folder_.File(L"ping.bat"), "@echo ran> \"%ORLINTH_MARKER_DIR%\\ping.bat.ran\"\r\n"));
    ::GetCurrentDirectoryW(MAX_PATH, startFolder_);
    ::SetCurrentDirectoryW(folder_.path().c_str());
  }
  void TearDown() override {
    ::SetCurrentDirectoryW(startFolder_);
    ClearTestSetting(L"ORLINTH_MARKER_DIR");
  }

  // Schedules the script and waits until it has deleted itself.
  void Run(const std::wstring& source, const std::wstring& old, const std::wstring& destination) {
    ASSERT_TRUE(ScheduleDeferredReplace(source, old, destination, kArguments));
    EXPECT_TRUE(WaitUntil([] { return !PathExists(ReplaceScriptPath()); }, 30000));
    EXPECT_FALSE(PathExists(folder_.File(L"ping.bat.ran")));
  }
  std::wstring Setups(const std::wstring& name) const { return setups_ + L"\\" + name; }

  const std::wstring kArguments = L"/noselfupdate \"a&b (1) 5%\" x&y)";
  TempFolder folder_;
  const std::wstring setups_ = folder_.File(L"R&D 100% (new) \u00e9");
  std::string program_;
  wchar_t startFolder_[MAX_PATH] = {};
};

TEST_F(DeferredScriptTest, PutsTheNewSetupInPlaceAndStartsItWithTheArgumentsUnchanged) {
  const std::wstring source = folder_.File(L"new.exe");
  ASSERT_TRUE(WriteFileBytes(source, program_ + "new"));
  const std::wstring old = Setups(L"OrlinthSetup-Japanese-1.0.19.exe");
  ASSERT_TRUE(WriteFileBytes(old, program_));
  const std::wstring destination = Setups(L"OrlinthSetup-Japanese-1.0.20.exe");
  Run(source, old, destination);
  EXPECT_TRUE(ReadFileBytes(destination) == program_ + "new");
  EXPECT_FALSE(PathExists(old));
  const std::wstring marker = folder_.File(L"OrlinthSetup-Japanese-1.0.20.exe.ran");
  EXPECT_TRUE(WaitUntil([&] { return !ReadFileBytes(marker).empty(); }));
  EXPECT_TRUE(ReadFileBytes(marker).ends_with(WideToUtf8(L" " + kArguments))) << ReadFileBytes(marker);
  // The script's own lines come in the console code page.
  std::string oldInLog;
  ASSERT_TRUE(EncodeForCmd(L"[cmd] old=" + old + L"\r\n", &oldInLog));
  const std::string log = ReadFileBytes(ReplaceLogPath());
  EXPECT_NE(log.find(oldInLog), std::string::npos) << log;
  EXPECT_NE(log.find("[cmd] launch dest"), std::string::npos) << log;
}

// The new Setup cannot be read: under either name the old one stays runnable.
TEST_F(DeferredScriptTest, AFailedCopyLeavesTheOldSetup) {
  const std::wstring old = Setups(L"Setup.exe");
  ASSERT_TRUE(WriteFileBytes(old, program_));
  for (const wchar_t* newName : {L"OrlinthSetup-Japanese-1.0.20.exe", L"Setup.exe"}) {
    Run(folder_.File(L"missing.exe"), old, Setups(newName));
    EXPECT_TRUE(ReadFileBytes(old) == program_) << "the old Setup was lost or changed";
    EXPECT_FALSE(PathExists(old + L".old"));
  }
  EXPECT_FALSE(PathExists(Setups(L"OrlinthSetup-Japanese-1.0.20.exe")));
  // Under the same name it is started again.
  EXPECT_TRUE(WaitUntil([&] { return PathExists(folder_.File(L"Setup.exe.ran")); }));
}

}  // namespace
