#include <gtest/gtest.h>

#include <string>

#include "base/child_process.h"
#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "support/temp_folder.h"

namespace {

std::wstring Block(std::initializer_list<const wchar_t*> entries) {
  std::wstring block;
  for (const wchar_t* entry : entries) block.append(entry).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

TEST(EnvironmentBlockWith, ReplacesAndRemovesByNameWithCaseIgnoredAndKeepsTheOrder) {
  const std::wstring current = Block({L"=C:=C:\\x", L"Path=C:\\a", L"PSMODULEPATH=C:\\Users\\u", L"Temp=C:\\t"});
  EXPECT_EQ(EnvironmentBlockWith(current.c_str(), {{L"PSModulePath", L"C:\\m"}, {L"ORLINTH_SETUP_PID", L"7"}}),
            Block({L"=C:=C:\\x", L"ORLINTH_SETUP_PID=7", L"Path=C:\\a", L"PSModulePath=C:\\m", L"Temp=C:\\t"}));
  EXPECT_EQ(EnvironmentBlockWith(current.c_str(), {{L"temp", L""}, {L"absent", L""}}),
            Block({L"=C:=C:\\x", L"Path=C:\\a", L"PSMODULEPATH=C:\\Users\\u"}));
  EXPECT_EQ(EnvironmentBlockWith(nullptr, {{L"A", L"1"}}), Block({L"A=1"}));
}

// The real thing under the test prefix's cmd: the child sees the setting and
// the working folder, its output arrives and its exit code comes back.
TEST(RunChildProgram, FeedsTheOutputAndReturnsTheExitCode) {
  TempFolder folder;
  const std::wstring system = SystemFolder();
  ChildProgram cmd;
  cmd.path = JoinPath(system, L"cmd.exe");
  cmd.commandLine = L"cmd.exe /d /c \"echo %ORLINTH_CHILD_TEST%& cd & exit /b 7\"";
  cmd.workingFolder = folder.path();
  cmd.environment = {{L"ORLINTH_CHILD_TEST", L"seen"}};
  std::string output;
  cmd.output = [&output](std::string_view chunk) { output.append(chunk); };
  const ChildRunResult run = RunChildProgram(cmd);
  EXPECT_EQ(run.outcome, ChildRunOutcome::Finished);
  EXPECT_EQ(run.code, 7u);
  EXPECT_NE(output.find("seen"), std::string::npos) << output;
  EXPECT_NE(output.find(WideToUtf8(FileNameOfPath(folder.path()))), std::string::npos) << output;

  cmd.path = JoinPath(folder.path(), L"missing.exe");
  EXPECT_EQ(RunChildProgram(cmd).outcome, ChildRunOutcome::NotStarted);
}

}  // namespace
