#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ops/script_runner.h"

namespace {

using Lines = std::vector<std::wstring>;

TEST(CutOutputLines, CompleteLinesOnlyUntilFlushed) {
  std::string buffer = "a\r\nb";
  EXPECT_EQ(CutOutputLines(buffer, false), Lines{L"a"});
  EXPECT_EQ(buffer, "b");
  EXPECT_EQ(CutOutputLines(buffer, true), Lines{L"b"});
  EXPECT_TRUE(buffer.empty());

  // Empty lines are lines; only one CR before the LF goes.
  buffer = "\n\r\nx\r\r\n";
  EXPECT_EQ(CutOutputLines(buffer, false), (Lines{L"", L"", L"x\r"}));
  // The unterminated rest keeps its CR when flushed.
  buffer = "tail\r";
  EXPECT_EQ(CutOutputLines(buffer, true), Lines{L"tail\r"});
  buffer.clear();
  EXPECT_EQ(CutOutputLines(buffer, true), Lines{});
}

TEST(CutOutputLines, LinesAndCharactersSplitAcrossReads) {
  std::string buffer = "Inst";
  EXPECT_EQ(CutOutputLines(buffer, false), Lines{});
  buffer += "all x64\n";
  EXPECT_EQ(CutOutputLines(buffer, false), Lines{L"Install x64"});

  // "설" is EC 84 A4: the read ends in the middle of it.
  buffer = "\xEC\x84";
  EXPECT_EQ(CutOutputLines(buffer, false), Lines{});
  buffer += "\xA4\xEC\xB9\x98\n";
  EXPECT_EQ(CutOutputLines(buffer, false), Lines{L"설치"});
}

TEST(BuildScriptCommandLine, WrapsTheQuotedScriptAndArguments) {
  EXPECT_EQ(BuildScriptCommandLine(L"C:\\p'q\\Install.ps1", L" -Language 'ja'"),
            L"powershell.exe -NoProfile -ExecutionPolicy Bypass -Command \"$ErrorActionPreference='Stop'; "
            L"$OutputEncoding = [Console]::OutputEncoding = New-Object System.Text.UTF8Encoding $false; try { & "
            L"'C:\\p''q\\Install.ps1' -Language 'ja'; if ($null -ne $LASTEXITCODE -and $LASTEXITCODE -ne 0) { exit "
            L"$LASTEXITCODE }; exit 0 } catch { $_ | Out-String | Write-Host; exit 1 }\"");
}

}  // namespace
