#include "fakes/powershell/command_line.h"

#include <cwctype>
#include <map>
#include <vector>

#include "fakes/powershell/script_errors.h"
#include "fakes/powershell/script_tokens.h"

namespace standin {
namespace {

constexpr wchar_t kPrelude[] =
    L"$ErrorActionPreference='Stop'; $OutputEncoding = [Console]::OutputEncoding = New-Object "
    L"System.Text.UTF8Encoding $false; try { ";
constexpr wchar_t kEpilogue[] =
    L"; if ($null -ne $LASTEXITCODE -and $LASTEXITCODE -ne 0) { exit $LASTEXITCODE }; exit 0 } "
    L"catch { $_ | Out-String | Write-Host; exit 1 }";

struct Failure {
  std::wstring message;
};

// The next blank-separated word from 'at'; a leading double quote runs to the
// closing one, as for a program path with spaces.
std::wstring NextWord(const std::wstring& line, size_t& at) {
  while (at < line.size() && std::iswspace(line[at])) ++at;
  const size_t start = at;
  if (at < line.size() && line[at] == L'"') {
    const size_t close = line.find(L'"', at + 1);
    at = close == std::wstring::npos ? line.size() : close + 1;
    return line.substr(start + 1, (close == std::wstring::npos ? line.size() : close) - start - 1);
  }
  while (at < line.size() && !std::iswspace(line[at])) ++at;
  return line.substr(start, at - start);
}

// Everything after -Command, with the other switches checked on the way.
std::wstring CommandText(const std::wstring& line) {
  size_t at = 0;
  NextWord(line, at);  // the program
  for (;;) {
    const std::wstring word = NextWord(line, at);
    if (word.empty()) throw Failure{L"no -Command was given"};
    if (EqualsNoCase(word, L"-Command")) break;
    if (EqualsNoCase(word, L"-ExecutionPolicy")) {
      if (NextWord(line, at).empty()) throw Failure{L"-ExecutionPolicy needs a value"};
    } else if (!EqualsNoCase(word, L"-NoProfile") && !EqualsNoCase(word, L"-NonInteractive")) {
      throw Failure{L"unknown switch " + word};
    }
  }
  std::wstring text = line.substr(at);
  while (!text.empty() && std::iswspace(text.front())) text.erase(0, 1);
  while (!text.empty() && std::iswspace(text.back())) text.pop_back();
  if (!text.empty() && text.front() == L'"') {
    if (text.size() < 2 || text.back() != L'"') throw Failure{L"the -Command text has no closing double quote"};
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

// -Name 'literal' pairs and bare -Switch words, by lower-case name.
std::map<std::wstring, std::wstring> ReadParameters(TokenCursor& cursor, const std::vector<std::wstring>& switches) {
  std::map<std::wstring, std::wstring> parameters;
  while (!cursor.AtEnd()) {
    const Token& name = cursor.Take();
    if (name.kind != TokenKind::kWord || name.text.size() < 2 || name.text[0] != L'-') {
      throw Failure{L"unexpected " + name.text};
    }
    const std::wstring key = LowerCase(name.text.substr(1));
    bool isSwitch = false;
    for (const std::wstring& candidate : switches) isSwitch = isSwitch || key == candidate;
    if (isSwitch) {
      parameters[key] = L"";
      continue;
    }
    const Token* value = cursor.Peek();
    if (value == nullptr || (value->kind != TokenKind::kSingleQuoted && value->kind != TokenKind::kWord)) {
      throw Failure{name.text + L" needs a value"};
    }
    parameters[key] = cursor.Take().text;
  }
  return parameters;
}

std::wstring Literal(const std::map<std::wstring, std::wstring>& parameters, const std::wstring& name) {
  const auto found = parameters.find(name);
  if (found == parameters.end() || found->second.empty()) throw Failure{L"-" + name + L" is missing"};
  return found->second;
}

void ReadScriptCall(TokenCursor& cursor, Invocation& invocation) {
  const Token& path = cursor.Take();
  if (path.kind != TokenKind::kSingleQuoted) throw Failure{L"the script path must be a single-quoted literal"};
  invocation.kind = InvocationKind::kScript;
  invocation.path = path.text;
  while (!cursor.AtEnd()) {
    const Token& name = cursor.Take();
    const Token* value = cursor.Peek();
    const bool languageParameter = name.kind == TokenKind::kWord && EqualsNoCase(name.text, L"-Language");
    if (!languageParameter || value == nullptr || value->kind != TokenKind::kSingleQuoted || invocation.language) {
      throw Failure{L"unexpected script argument " + name.text};
    }
    invocation.language = cursor.Take().text;
  }
}

void ReadExpandArchive(TokenCursor& cursor, Invocation& invocation) {
  const auto parameters = ReadParameters(cursor, {L"force"});
  for (const auto& [name, value] : parameters) {
    if (name != L"literalpath" && name != L"destinationpath" && name != L"force") throw Failure{L"-" + name};
  }
  invocation.kind = InvocationKind::kExpandArchive;
  invocation.path = Literal(parameters, L"literalpath");
  invocation.destination = Literal(parameters, L"destinationpath");
  invocation.force = parameters.count(L"force") > 0;
}

void ReadRemoveFolder(TokenCursor& cursor, Invocation& invocation) {
  const auto parameters = ReadParameters(cursor, {L"recurse", L"force"});
  if (parameters.size() != 4 || !parameters.count(L"recurse") || !parameters.count(L"force") ||
      !EqualsNoCase(Literal(parameters, L"erroraction"), L"SilentlyContinue")) {
    throw Failure{L"Remove-Item is known only with -Recurse -Force -ErrorAction SilentlyContinue"};
  }
  invocation.kind = InvocationKind::kRemoveFolder;
  invocation.path = Literal(parameters, L"literalpath");
}

Invocation ParseCommandText(std::wstring text) {
  Invocation invocation;
  const std::wstring prelude = kPrelude;
  const std::wstring epilogue = kEpilogue;
  if (text.rfind(prelude, 0) == 0) {
    if (text.size() < prelude.size() + epilogue.size() ||
        text.compare(text.size() - epilogue.size(), epilogue.size(), epilogue) != 0) {
      throw Failure{L"the wrapper does not end as expected"};
    }
    invocation.wrapped = true;
    text = text.substr(prelude.size(), text.size() - prelude.size() - epilogue.size());
  }
  const std::vector<Token> tokens = TokenizeLine(text);
  TokenCursor cursor(tokens);
  if (cursor.TakeWord(L"&")) {
    ReadScriptCall(cursor, invocation);
  } else if (cursor.TakeWord(L"Expand-Archive")) {
    ReadExpandArchive(cursor, invocation);
  } else if (cursor.TakeWord(L"Remove-Item")) {
    ReadRemoveFolder(cursor, invocation);
  } else {
    throw Failure{L"unknown command"};
  }
  return invocation;
}

}  // namespace

std::optional<Invocation> ParseInvocation(const std::wstring& commandLine, std::wstring& error) {
  try {
    return ParseCommandText(CommandText(commandLine));
  } catch (const Failure& failure) {
    error = failure.message;
  } catch (const ScriptUnsupported& unsupported) {
    error = unsupported.reason;
  }
  return std::nullopt;
}

}  // namespace standin
