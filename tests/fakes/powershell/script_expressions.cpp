#include "fakes/powershell/script_expressions.h"

#include <windows.h>

#include <cwctype>
#include <regex>

#include "fakes/powershell/file_ops.h"
#include "fakes/powershell/registry_ops.h"
#include "fakes/powershell/script_errors.h"

namespace standin {
namespace {

bool IsNameChar(wchar_t c) { return std::iswalnum(c) || c == L'_'; }

bool IsParameterName(const Token& token) {
  return token.kind == TokenKind::kWord && token.text.size() > 1 && token.text[0] == L'-' &&
         std::iswalpha(token.text[1]);
}

bool Contains(const std::vector<std::wstring>& names, const std::wstring& lowerName) {
  for (const std::wstring& name : names) {
    if (LowerCase(name) == lowerName) return true;
  }
  return false;
}

wchar_t EscapedChar(wchar_t c) {
  switch (c) {
    case L'n':
      return L'\n';
    case L'r':
      return L'\r';
    case L't':
      return L'\t';
    case L'0':
      return L'\0';
    default:
      return c;  // `" `$ `` and any other character stand for themselves
  }
}

// The variable name after the $ at 'at'; 'at' moves past it. Empty when the $
// starts no name and so stands for itself.
std::wstring ReadEmbeddedName(const std::wstring& raw, size_t& at) {
  size_t i = at + 1;
  if (i < raw.size() && raw[i] == L'{') {
    const size_t close = raw.find(L'}', i);
    if (close == std::wstring::npos) throw ScriptUnsupported{L"${ without its closing brace"};
    at = close + 1;
    return raw.substr(i + 1, close - i - 1);
  }
  if (i < raw.size() && raw[i] == L'(') throw ScriptUnsupported{L"$( ) in a string"};
  if (raw.size() >= i + 4 && _wcsnicmp(raw.c_str() + i, L"env:", 4) == 0) i += 4;
  const size_t nameStart = i;
  while (i < raw.size() && IsNameChar(raw[i])) ++i;
  if (i == nameStart) return {};
  std::wstring name = raw.substr(at + 1, i - at - 1);
  at = i;
  return name;
}

bool Compare(const std::wstring& op, const Value& left, const Value& right) {
  if (op == L"-eq" || op == L"-ne") {
    // $null equals only $null, as in PowerShell ($null -eq '' is false).
    const bool equal = (!left || !right) ? (!left && !right) : EqualsNoCase(*left, *right);
    return op == L"-eq" ? equal : !equal;
  }
  const bool like = LikeMatch(Text(left), Text(right));
  return op == L"-like" ? like : !like;
}

std::wstring RegexReplace(const std::wstring& text, const std::wstring& pattern, const std::wstring& replacement) {
  try {
    const std::wregex expression(pattern, std::regex::ECMAScript | std::regex::icase);
    return std::regex_replace(text, expression, replacement);
  } catch (const std::regex_error&) {
    throw ScriptRuntimeError{L"The regular expression '" + pattern + L"' is not valid."};
  }
}

bool TestPath(const std::wstring& path) {
  if (IsProviderPath(path)) return RegistryKeyExists(MachineSubkey(path));
  return FileSystemPathExists(path);
}

const CommandSyntax kTestPathSyntax{{L"Path", L"LiteralPath"}, {}, {L"Path"}};
const CommandSyntax kItemPropertySyntax{{L"Path", L"Name"}, {}, {L"Path", L"Name"}};

}  // namespace

Value ScriptScope::Get(const std::wstring& name) const {
  const std::wstring key = LowerCase(name);
  if (key.rfind(L"env:", 0) == 0) {
    const std::wstring variable = name.substr(4);
    const DWORD needed = ::GetEnvironmentVariableW(variable.c_str(), nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::wstring value(needed, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(variable.c_str(), value.data(), needed);
    value.resize(length < needed ? length : 0);
    return value;
  }
  const auto found = variables_.find(key);
  return found == variables_.end() ? std::nullopt : found->second;
}

void ScriptScope::Set(const std::wstring& name, const Value& value) {
  const std::wstring key = LowerCase(name);
  if (key.rfind(L"env:", 0) == 0) {
    ::SetEnvironmentVariableW(name.substr(4).c_str(), value ? value->c_str() : nullptr);
  } else if (key == L"null") {
    // Assigning to $null discards the value.
  } else {
    variables_[key] = value;
  }
}

Value CommandArguments::Get(const std::wstring& name) const {
  const auto found = named.find(LowerCase(name));
  return found == named.end() ? std::nullopt : found->second;
}

bool CommandArguments::Silent() const {
  const std::wstring action = LowerCase(Text(Get(L"ErrorAction")));
  return action == L"silentlycontinue" || action == L"ignore";
}

Value ExpressionReader::ReadExpression() {
  Value value = ReadOperand();
  while (cursor_.TakePunct(L"+")) {
    const Value right = ReadOperand();
    if (evaluate_ && (value || right)) value = Text(value) + Text(right);
  }
  while (cursor_.TakeWord(L"-replace")) {
    const Value pattern = ReadOperand();
    const Value replacement = cursor_.TakePunct(L",") ? ReadOperand() : Value(std::wstring());
    if (evaluate_) value = RegexReplace(Text(value), Text(pattern), Text(replacement));
  }
  return value;
}

Value ExpressionReader::ReadOperand() {
  const Token* token = cursor_.Peek();
  if (token == nullptr) throw ScriptUnsupported{L"a value is missing"};
  if (token->kind == TokenKind::kWord) throw ScriptUnsupported{L"bare word in an expression: " + token->text};
  return ReadArgument();
}

Value ExpressionReader::ReadArgument() {
  if (cursor_.IsPunct(L"(")) return ReadParenthesized();
  const Token& token = cursor_.Take();
  switch (token.kind) {
    case TokenKind::kSingleQuoted:
      return token.text;
    case TokenKind::kDoubleQuoted: {
      std::wstring text = ExpandString(token.text, evaluate_ ? &scope_ : nullptr);
      return evaluate_ ? Value(text) : std::nullopt;
    }
    case TokenKind::kVariable:
      return evaluate_ ? scope_.Get(token.text) : std::nullopt;
    case TokenKind::kWord:
      if (!IsParameterName(token)) return token.text;
      break;
    default:
      break;
  }
  throw ScriptUnsupported{L"unexpected " + token.text};
}

Value ExpressionReader::ReadParenthesized() {
  cursor_.ExpectPunct(L"(");
  if (cursor_.IsWord(L"Get-ItemProperty")) return ReadItemProperty();
  const Value value = ReadExpression();
  cursor_.ExpectPunct(L")");
  return value;
}

// (Get-ItemProperty -Path <key> -Name <Name> ...).<Name>: the value's text.
Value ExpressionReader::ReadItemProperty() {
  cursor_.Take();
  const CommandArguments arguments = ReadCommandArguments(L"Get-ItemProperty", kItemPropertySyntax);
  cursor_.ExpectPunct(L")");
  cursor_.ExpectPunct(L".");
  const Token& member = cursor_.Take();
  if (member.kind != TokenKind::kWord) throw ScriptUnsupported{L"a property name must follow ( )."};
  const Value name = arguments.Get(L"Name");
  if (name && !EqualsNoCase(member.text, *name)) {
    throw ScriptUnsupported{L"only the property given by -Name can be read: " + member.text};
  }
  if (!evaluate_) return std::nullopt;
  if (!name) throw ScriptRuntimeError{L"Get-ItemProperty needs -Name."};
  std::optional<std::wstring> value;
  const std::wstring error = ReadRegistryString(MachineSubkey(RequirePath(arguments, L"Path")), *name, value);
  if (!error.empty() && !arguments.Silent()) throw ScriptRuntimeError{error};
  return value;
}

bool ExpressionReader::ReadCondition() {
  if (cursor_.TakeWord(L"-not")) return !ReadNegatable() && evaluate_;
  if (cursor_.IsWord(L"Test-Path") || (cursor_.IsPunct(L"(") && cursor_.IsWord(L"Test-Path", 1))) {
    return ReadNegatable();
  }
  const Value left = ReadExpression();
  for (const wchar_t* op : {L"-eq", L"-ne", L"-like", L"-notlike"}) {
    if (cursor_.TakeWord(op)) {
      const Value right = ReadExpression();
      return evaluate_ && Compare(op, left, right);
    }
  }
  return evaluate_ && IsTrue(left);
}

// What may follow -not: (condition), Test-Path ..., or a single operand.
bool ExpressionReader::ReadNegatable() {
  if (cursor_.IsPunct(L"(") && !cursor_.IsWord(L"Get-ItemProperty", 1)) {
    cursor_.Take();
    const bool result = ReadCondition();
    cursor_.ExpectPunct(L")");
    return result;
  }
  if (cursor_.IsWord(L"Test-Path")) return ReadTestPath();
  const Value value = ReadOperand();
  return evaluate_ && IsTrue(value);
}

bool ExpressionReader::ReadTestPath() {
  cursor_.Take();
  const CommandArguments arguments = ReadCommandArguments(L"Test-Path", kTestPathSyntax);
  if (!evaluate_) return false;
  return TestPath(RequirePath(arguments, arguments.Has(L"LiteralPath") ? L"LiteralPath" : L"Path"));
}

bool ExpressionReader::AtCommandEnd() const {
  return cursor_.AtEnd() || cursor_.IsPunct(L")") || cursor_.IsPunct(L"|") || cursor_.IsPunct(L";");
}

CommandArguments ExpressionReader::ReadCommandArguments(const std::wstring& command, const CommandSyntax& syntax) {
  CommandArguments arguments;
  std::vector<Value> bare;
  while (!AtCommandEnd()) {
    if (!IsParameterName(*cursor_.Peek())) {
      bare.push_back(ReadArgument());
      continue;
    }
    const std::wstring name = LowerCase(cursor_.Take().text.substr(1));
    if (Contains(syntax.switches, name)) {
      arguments.switches.insert(name);
    } else if (Contains(syntax.parameters, name) || name == L"erroraction") {
      if (arguments.named.count(name)) throw ScriptUnsupported{L"-" + name + L" given twice"};
      arguments.named[name] = ReadArgument();
    } else {
      throw ScriptUnsupported{L"parameter -" + name + L" of " + command};
    }
  }
  const Value action = arguments.Get(L"ErrorAction");
  if (action && !Contains({L"SilentlyContinue", L"Ignore", L"Stop"}, LowerCase(*action))) {
    throw ScriptUnsupported{L"-ErrorAction " + *action};
  }
  size_t next = 0;
  for (Value& value : bare) {
    if (syntax.collectsArguments) {
      arguments.rest.push_back(std::move(value));
      continue;
    }
    while (next < syntax.positional.size() && arguments.Has(syntax.positional[next])) ++next;
    if (next == syntax.positional.size()) throw ScriptUnsupported{L"too many arguments for " + command};
    arguments.named[LowerCase(syntax.positional[next++])] = std::move(value);
  }
  return arguments;
}

std::wstring ExpandString(const std::wstring& raw, const ScriptScope* scope) {
  std::wstring text;
  for (size_t at = 0; at < raw.size();) {
    if (raw[at] == L'`' && at + 1 < raw.size()) {
      text += EscapedChar(raw[at + 1]);
      at += 2;
    } else if (raw[at] == L'$') {
      const std::wstring name = ReadEmbeddedName(raw, at);
      if (name.empty()) {
        text += raw[at++];
      } else if (scope != nullptr) {
        text += Text(scope->Get(name));
      }
    } else {
      text += raw[at++];
    }
  }
  return text;
}

bool LikeMatch(const std::wstring& text, const std::wstring& pattern) {
  const std::wstring t = LowerCase(text);
  const std::wstring p = LowerCase(pattern);
  // Greedy match with one back-up point: the last * seen.
  size_t ti = 0, pi = 0, starP = std::wstring::npos, starT = 0;
  while (ti < t.size()) {
    if (pi < p.size() && (p[pi] == L'?' || (p[pi] != L'*' && p[pi] == t[ti]))) {
      ++ti;
      ++pi;
    } else if (pi < p.size() && p[pi] == L'*') {
      starP = pi++;
      starT = ti;
    } else if (starP != std::wstring::npos) {
      pi = starP + 1;
      ti = ++starT;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == L'*') ++pi;
  return pi == p.size();
}

std::wstring RequirePath(const CommandArguments& arguments, const std::wstring& parameter) {
  const std::wstring path = Text(arguments.Get(parameter));
  if (path.empty()) {
    throw ScriptRuntimeError{L"Cannot bind argument to parameter '" + parameter + L"' because it is an empty string."};
  }
  if (parameter != L"LiteralPath" && path.find_first_of(L"*?") != std::wstring::npos) {
    throw ScriptUnsupported{L"wildcards in -" + parameter + L": " + path};
  }
  return path;
}

Value EvaluateExpression(const std::wstring& text, ScriptScope& scope) {
  const std::vector<Token> tokens = TokenizeLine(text);
  TokenCursor cursor(tokens);
  const Value value = ExpressionReader(cursor, scope, true).ReadExpression();
  if (!cursor.AtEnd()) throw ScriptUnsupported{L"text after the expression"};
  return value;
}

bool EvaluateCondition(const std::wstring& text, ScriptScope& scope) {
  const std::vector<Token> tokens = TokenizeLine(text);
  TokenCursor cursor(tokens);
  const bool result = ExpressionReader(cursor, scope, true).ReadCondition();
  if (!cursor.AtEnd()) throw ScriptUnsupported{L"text after the condition"};
  return result;
}

}  // namespace standin
