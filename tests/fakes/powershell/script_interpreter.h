// Runs a script of the subset line by line, as the installer's wrapper runs
// Install.ps1 and Uninstall.ps1: the whole file is checked first (like
// PowerShell's parser, nothing runs when a line is outside the subset), then
// run with every error terminating.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "fakes/powershell/script_commands.h"
#include "fakes/powershell/script_expressions.h"

namespace standin {

// Named script arguments, e.g. {"Language", "ja"}.
using ScriptArguments = std::vector<std::pair<std::wstring, std::wstring>>;

class ScriptInterpreter {
 public:
  explicit ScriptInterpreter(OutputSink output) : output_(std::move(output)) {}

  // The exit code the wrapper ends with: N for `exit N`, 0 at the end of the
  // script, 1 after an error (whose text is printed).
  int RunFile(const std::wstring& path, const ScriptArguments& arguments);

  ScriptScope& scope() { return scope_; }

 private:
  struct Block;
  struct FileState;

  void ExecuteFile(const std::wstring& path, const ScriptArguments* arguments);
  void RunLines(FileState& state, bool evaluate);
  void RunLine(FileState& state, const std::wstring& line, bool evaluate);
  void RunBlockLine(FileState& state, TokenCursor& cursor, bool evaluate);
  void RunStatement(FileState& state, TokenCursor& cursor, bool evaluate, const OutputSink& sink);
  void RunParam(FileState& state, TokenCursor& cursor, bool evaluate);
  void RunDotSource(TokenCursor& cursor, bool evaluate);

  OutputSink output_;
  ScriptScope scope_;
  int depth_ = 0;
};

}  // namespace standin
