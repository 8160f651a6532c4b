#include "fakes/powershell/script_interpreter.h"

#include <cwctype>

#include "base/path_helpers.h"
#include "base/text_helpers.h"
#include "fakes/powershell/file_ops.h"
#include "fakes/powershell/script_errors.h"

namespace standin {

// One open if/elseif/else construct.
struct ScriptInterpreter::Block {
  bool parentRunning = false;
  bool running = false;  // the current branch runs
  bool taken = false;    // some branch ran or is running
  bool sawElse = false;
  size_t line = 0;
};

struct ScriptInterpreter::FileState {
  std::wstring path;
  std::vector<std::wstring> lines;
  const ScriptArguments* arguments = nullptr;  // null when dot-sourced
  std::vector<Block> blocks;
  size_t lineNumber = 0;
  bool statementSeen = false;
};

namespace {

constexpr int kMaxDotSourceDepth = 16;

// An error with the place it happened; it passes unchanged through the files
// that dot-sourced the failing one.
struct LocatedError {
  bool unsupported = false;
  std::wstring message;
  std::wstring file;
  size_t line = 0;
  std::wstring text;
};

struct ScriptExit {
  int code = 0;
};

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// Windows PowerShell reads a file without a byte-order mark in the ANSI code
// page, so only plain ASCII is safe there.
std::vector<std::wstring> LoadScript(const std::wstring& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes).empty()) {
    throw ScriptRuntimeError{L"The term '" + path +
                             L"' is not recognized as the name of a cmdlet, function, "
                             L"script file, or operable program."};
  }
  const bool bom = bytes.rfind("\xEF\xBB\xBF", 0) == 0;
  if (bom) {
    bytes.erase(0, 3);
  } else {
    for (unsigned char c : bytes) {
      if (c >= 0x80) {
        throw ScriptRuntimeError{path +
                                 L" has non-ASCII text but no UTF-8 byte-order mark; "
                                 L"Windows PowerShell would misread it."};
      }
    }
  }
  return SplitLines(Utf8ToWide(bytes));
}

std::wstring Trimmed(const std::wstring& text) {
  size_t start = 0;
  size_t end = text.size();
  while (start < end && std::iswspace(text[start])) ++start;
  while (end > start && std::iswspace(text[end - 1])) --end;
  return text.substr(start, end - start);
}

int ExitCode(const std::wstring& text) {
  const size_t digits = !text.empty() && text[0] == L'-' ? 1 : 0;
  if (text.size() == digits || text.size() > digits + 9) throw ScriptRuntimeError{L"exit needs a number: " + text};
  for (size_t i = digits; i < text.size(); ++i) {
    if (!std::iswdigit(text[i])) throw ScriptRuntimeError{L"exit needs a number: " + text};
  }
  return std::stoi(text);
}

// Drops a final "| Out-Null"; true when there was one.
bool StripOutNull(std::vector<Token>& tokens) {
  const size_t n = tokens.size();
  if (n < 2 || tokens[n - 2].kind != TokenKind::kPunct || tokens[n - 2].text != L"|" ||
      tokens[n - 1].kind != TokenKind::kWord || !EqualsNoCase(tokens[n - 1].text, L"Out-Null")) {
    return false;
  }
  tokens.resize(n - 2);
  return true;
}

void ExpectLineEnd(const TokenCursor& cursor) {
  if (!cursor.AtEnd()) throw ScriptUnsupported{L"more than one statement on the line"};
}

}  // namespace

int ScriptInterpreter::RunFile(const std::wstring& path, const ScriptArguments& arguments) {
  depth_ = 0;
  try {
    ExecuteFile(path, &arguments);
    return 0;
  } catch (const ScriptExit& exit) {
    return exit.code;
  } catch (const LocatedError& error) {
    if (error.unsupported) {
      output_(error.file + L":" + std::to_wstring(error.line) + L": not supported: " + error.text);
      if (!error.message.empty()) output_(L"    (" + error.message + L")");
    } else {
      output_(error.message);
      output_(L"At " + error.file + L":" + std::to_wstring(error.line));
    }
  } catch (const ScriptRuntimeError& error) {
    output_(error.message);
  }
  return 1;
}

void ScriptInterpreter::ExecuteFile(const std::wstring& path, const ScriptArguments* arguments) {
  if (depth_ >= kMaxDotSourceDepth) throw ScriptRuntimeError{L"Scripts dot-source each other too deeply."};
  FileState state;
  state.path = AbsolutePath(path);
  state.lines = LoadScript(state.path);
  state.arguments = arguments;
  RunLines(state, false);

  const Value outerRoot = scope_.Get(L"PSScriptRoot");
  scope_.Set(L"PSScriptRoot", FolderOfPath(state.path));
  ++depth_;
  state.statementSeen = false;
  RunLines(state, true);
  --depth_;
  scope_.Set(L"PSScriptRoot", outerRoot);
}

void ScriptInterpreter::RunLines(FileState& state, bool evaluate) {
  for (state.lineNumber = 1; state.lineNumber <= state.lines.size(); ++state.lineNumber) {
    const std::wstring& line = state.lines[state.lineNumber - 1];
    try {
      RunLine(state, line, evaluate);
    } catch (const ScriptUnsupported& error) {
      throw LocatedError{true, error.reason, state.path, state.lineNumber, Trimmed(line)};
    } catch (const ScriptRuntimeError& error) {
      throw LocatedError{false, error.message, state.path, state.lineNumber, Trimmed(line)};
    }
  }
  if (!state.blocks.empty()) {
    const size_t opened = state.blocks.back().line;
    throw LocatedError{true, L"the block has no closing }", state.path, opened, Trimmed(state.lines[opened - 1])};
  }
}

void ScriptInterpreter::RunLine(FileState& state, const std::wstring& line, bool evaluate) {
  std::vector<Token> tokens = TokenizeLine(line);
  if (tokens.empty()) return;
  const bool discard = StripOutNull(tokens);
  if (tokens.empty()) throw ScriptUnsupported{L"| Out-Null without a command"};
  TokenCursor cursor(tokens);
  const bool running = evaluate && (state.blocks.empty() || state.blocks.back().running);
  if (cursor.IsWord(L"if") || cursor.IsPunct(L"}")) {
    if (discard) throw ScriptUnsupported{L"| Out-Null after a block"};
    // A new if decides only inside a running branch; a closing line weighs
    // its own block's state.
    RunBlockLine(state, cursor, cursor.IsWord(L"if") ? running : evaluate);
  } else if (!evaluate || running) {
    const OutputSink ignore = [](const std::wstring&) {};
    RunStatement(state, cursor, evaluate, discard ? ignore : output_);
  } else {
    return;  // in a branch not taken; the line was checked before the run
  }
  state.statementSeen = true;
  ExpectLineEnd(cursor);
}

// if (...) {   } elseif (...) {   } else {   }
void ScriptInterpreter::RunBlockLine(FileState& state, TokenCursor& cursor, bool evaluate) {
  if (cursor.TakeWord(L"if")) {
    cursor.ExpectPunct(L"(");
    const bool result = ExpressionReader(cursor, scope_, evaluate).ReadCondition();
    cursor.ExpectPunct(L")");
    cursor.ExpectPunct(L"{");
    state.blocks.push_back({evaluate, result, result, false, state.lineNumber});
    return;
  }
  cursor.ExpectPunct(L"}");
  if (state.blocks.empty()) throw ScriptUnsupported{L"} without an open block"};
  Block& block = state.blocks.back();
  if (cursor.AtEnd()) {
    state.blocks.pop_back();
    return;
  }
  if (block.sawElse) throw ScriptUnsupported{L"nothing may follow else"};
  const bool decide = evaluate && block.parentRunning && !block.taken;
  if (cursor.TakeWord(L"elseif")) {
    cursor.ExpectPunct(L"(");
    block.running = ExpressionReader(cursor, scope_, decide).ReadCondition();
    cursor.ExpectPunct(L")");
  } else if (cursor.TakeWord(L"else")) {
    block.running = decide;
    block.sawElse = true;
  } else {
    throw ScriptUnsupported{L"only elseif or else may follow }"};
  }
  block.taken = block.taken || block.running;
  cursor.ExpectPunct(L"{");
}

void ScriptInterpreter::RunStatement(FileState& state, TokenCursor& cursor, bool evaluate, const OutputSink& sink) {
  ExpressionReader reader(cursor, scope_, evaluate);
  const Token& first = *cursor.Peek();
  if (cursor.IsWord(L"param")) {
    RunParam(state, cursor, evaluate);
  } else if (cursor.IsPunct(L".")) {
    RunDotSource(cursor, evaluate);
  } else if (cursor.TakeWord(L"exit")) {
    const Value code = cursor.AtEnd() ? Value(L"0") : reader.ReadArgument();
    if (evaluate || code) {
      const int number = ExitCode(Text(code));
      if (evaluate) throw ScriptExit{number};
    }
  } else if (cursor.TakeWord(L"throw")) {
    const Value message = cursor.AtEnd() ? Value(L"ScriptHalted") : reader.ReadArgument();
    if (evaluate) throw ScriptRuntimeError{Text(message)};
  } else if (first.kind == TokenKind::kVariable && cursor.IsPunct(L"=", 1)) {
    cursor.Take();
    cursor.Take();
    const Value value = reader.ReadExpression();
    if (evaluate) scope_.Set(first.text, value);
  } else if (first.kind == TokenKind::kWord && IsScriptCommand(first.text)) {
    RunScriptCommand(cursor, reader, sink);
  } else if (first.kind != TokenKind::kWord && first.kind != TokenKind::kType && !cursor.IsPunct(L"{")) {
    const Value value = reader.ReadExpression();
    if (evaluate && value) sink(*value);
  } else {
    throw ScriptUnsupported{L"unknown command " + first.text};
  }
}

// param([string]$Name = <default>, ...): binds the wrapper's arguments.
void ScriptInterpreter::RunParam(FileState& state, TokenCursor& cursor, bool evaluate) {
  if (state.statementSeen) throw ScriptUnsupported{L"param must come first"};
  cursor.Take();
  cursor.ExpectPunct(L"(");
  ExpressionReader reader(cursor, scope_, evaluate);
  std::vector<std::wstring> declared;
  while (!cursor.TakePunct(L")")) {
    if (!declared.empty()) cursor.ExpectPunct(L",");
    const bool typed = cursor.Peek() != nullptr && cursor.Peek()->kind == TokenKind::kType;
    if (typed && !EqualsNoCase(cursor.Take().text, L"string")) throw ScriptUnsupported{L"parameter types but [string]"};
    const Token& name = cursor.Take();
    if (name.kind != TokenKind::kVariable) throw ScriptUnsupported{L"a parameter must be a variable"};
    Value value = cursor.TakePunct(L"=") ? reader.ReadExpression() : std::nullopt;
    declared.push_back(name.text);
    if (!evaluate) continue;
    if (state.arguments != nullptr) {
      for (const auto& [argument, given] : *state.arguments) {
        if (EqualsNoCase(argument, name.text)) value = given;
      }
    }
    scope_.Set(name.text, typed ? Value(Text(value)) : value);  // a [string] parameter is never $null
  }
  if (!evaluate || state.arguments == nullptr) return;
  for (const auto& argument : *state.arguments) {
    bool known = false;
    for (const std::wstring& name : declared) known = known || EqualsNoCase(name, argument.first);
    if (!known) {
      throw ScriptRuntimeError{L"A parameter cannot be found that matches parameter name '" + argument.first + L"'."};
    }
  }
}

// . "<path>": the file runs in this scope.
void ScriptInterpreter::RunDotSource(TokenCursor& cursor, bool evaluate) {
  cursor.Take();
  const Value path = ExpressionReader(cursor, scope_, evaluate).ReadArgument();
  ExpectLineEnd(cursor);
  if (evaluate) ExecuteFile(Text(path), nullptr);
}

}  // namespace standin
