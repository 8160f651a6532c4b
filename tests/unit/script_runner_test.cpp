#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_helpers.h"
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

// The script path PowerShell reads back from the command, undoing the
// single-quoted literal after "& ": empty when there is none.
std::wstring ScriptPathIn(const std::wstring& command, std::wstring* rest) {
  const size_t start = command.find(L"& ");
  if (start == std::wstring::npos || !IsPowerShellSingleQuote(command[start + 2])) return {};
  std::wstring path;
  for (size_t at = start + 3; at < command.size(); ++at) {
    if (!IsPowerShellSingleQuote(command[at])) {
      path += command[at];
    } else if (at + 1 < command.size() && IsPowerShellSingleQuote(command[at + 1])) {
      path += command[++at];  // doubled: part of the text
    } else {
      *rest = command.substr(at + 1);
      return path;
    }
  }
  return {};
}

// Whatever quotes, dollars, back-ticks or separators a path holds, PowerShell
// reads it back as the one literal it was, followed by the arguments; the
// whole command stays one argument of powershell.exe.
TEST(BuildScriptCommandLine, KeepsAHostilePathOneLiteral) {
  const std::wstring prefix = L"powershell.exe -NoProfile -ExecutionPolicy Bypass -Command \"";
  for (const std::wstring path :
       {L"C:\\p'q\\Install.ps1", L"C:\\a'; Remove-Item C:\\x; '\\Install.ps1", L"C:\\$(calc)\\`x`\\Install.ps1",
        L"C:\\O\u2019Brien\u2018; \u201Ax\u201B\\Install.ps1"}) {
    const std::wstring command = BuildScriptCommandLine(path, L" -Language 'ja'");
    std::wstring rest;
    EXPECT_EQ(ScriptPathIn(command, &rest), path);
    EXPECT_TRUE(rest.starts_with(L" -Language 'ja'; ")) << rest.c_str();
    EXPECT_TRUE(command.starts_with(prefix));
    EXPECT_EQ(command.find(L'"', prefix.size()), command.size() - 1);
  }
}

}  // namespace
