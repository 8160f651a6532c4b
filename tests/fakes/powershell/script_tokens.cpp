#include "fakes/powershell/script_tokens.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

#include "fakes/powershell/script_errors.h"

namespace standin {

namespace {

bool IsNameChar(wchar_t c) { return std::iswalnum(c) || c == L'_'; }

// PowerShell takes ' and the quotes U+2018 to U+201B alike.
bool IsSingleQuote(wchar_t c) { return c == L'\'' || (c >= L'\u2018' && c <= L'\u201B'); }

bool EndsWord(wchar_t c) { return std::iswspace(c) || IsSingleQuote(c) || std::wcschr(L"(){}|,;\"", c) != nullptr; }

// 'text' with two quotes for one; 'at' is on the opening quote.
Token ReadSingleQuoted(const std::wstring& line, size_t& at) {
  std::wstring text;
  for (size_t i = at + 1; i < line.size(); ++i) {
    if (!IsSingleQuote(line[i])) {
      text += line[i];
    } else if (i + 1 < line.size() && IsSingleQuote(line[i + 1])) {
      text += line[i];
      ++i;
    } else {
      at = i + 1;
      return {TokenKind::kSingleQuoted, text};
    }
  }
  throw ScriptUnsupported{L"string without its closing quote"};
}

// "text": escapes stay for the evaluator, but `" and "" must not end it.
Token ReadDoubleQuoted(const std::wstring& line, size_t& at) {
  std::wstring raw;
  for (size_t i = at + 1; i < line.size(); ++i) {
    if (line[i] == L'`' && i + 1 < line.size()) {
      raw += line[i];
      raw += line[++i];
    } else if (line[i] == L'"' && i + 1 < line.size() && line[i + 1] == L'"') {
      raw += L"`\"";
      ++i;
    } else if (line[i] == L'"') {
      at = i + 1;
      return {TokenKind::kDoubleQuoted, raw};
    } else {
      raw += line[i];
    }
  }
  throw ScriptUnsupported{L"string without its closing quote"};
}

Token ReadVariable(const std::wstring& line, size_t& at) {
  size_t i = at + 1;
  if (i < line.size() && line[i] == L'{') {
    const size_t close = line.find(L'}', i);
    if (close == std::wstring::npos) throw ScriptUnsupported{L"variable without its closing brace"};
    at = close + 1;
    return {TokenKind::kVariable, line.substr(i + 1, close - i - 1)};
  }
  if (line.size() >= i + 4 && _wcsnicmp(line.c_str() + i, L"env:", 4) == 0) i += 4;
  while (i < line.size() && IsNameChar(line[i])) ++i;
  if (i == at + 1) throw ScriptUnsupported{L"$ without a variable name"};
  Token token{TokenKind::kVariable, line.substr(at + 1, i - at - 1)};
  at = i;
  return token;
}

// A dot is member access right after ) or a variable, dot-sourcing before a
// space, and otherwise part of a word such as .\file.
bool IsDotPunct(const std::wstring& line, size_t at, const std::vector<Token>& tokens) {
  const bool glued = at > 0 && !std::iswspace(line[at - 1]);
  if (glued && !tokens.empty()) {
    const Token& last = tokens.back();
    if ((last.kind == TokenKind::kPunct && last.text == L")") || last.kind == TokenKind::kVariable) return true;
  }
  return at + 1 >= line.size() || std::iswspace(line[at + 1]);
}

}  // namespace

std::vector<Token> TokenizeLine(const std::wstring& line) {
  std::vector<Token> tokens;
  size_t at = 0;
  while (at < line.size()) {
    const wchar_t c = line[at];
    if (std::iswspace(c)) {
      ++at;
    } else if (c == L'#') {
      break;
    } else if (IsSingleQuote(c)) {
      tokens.push_back(ReadSingleQuoted(line, at));
    } else if (c == L'"') {
      tokens.push_back(ReadDoubleQuoted(line, at));
    } else if (c == L'$') {
      tokens.push_back(ReadVariable(line, at));
    } else if (c == L'[') {
      const size_t close = line.find(L']', at);
      if (close == std::wstring::npos) throw ScriptUnsupported{L"[ without its closing ]"};
      tokens.push_back({TokenKind::kType, line.substr(at + 1, close - at - 1)});
      at = close + 1;
    } else if (std::wcschr(L"(){}|,;+=", c) != nullptr || (c == L'.' && IsDotPunct(line, at, tokens))) {
      tokens.push_back({TokenKind::kPunct, std::wstring(1, c)});
      ++at;
    } else {
      const size_t start = at;
      while (at < line.size() && !EndsWord(line[at])) ++at;
      tokens.push_back({TokenKind::kWord, line.substr(start, at - start)});
    }
  }
  return tokens;
}

const Token* TokenCursor::Peek(size_t ahead) const {
  return next_ + ahead < tokens_.size() ? &tokens_[next_ + ahead] : nullptr;
}

const Token& TokenCursor::Take() {
  if (AtEnd()) throw ScriptUnsupported{L"the line ends too early"};
  return tokens_[next_++];
}

bool TokenCursor::IsPunct(const wchar_t* text, size_t ahead) const {
  const Token* token = Peek(ahead);
  return token != nullptr && token->kind == TokenKind::kPunct && token->text == text;
}

bool TokenCursor::IsWord(const wchar_t* text, size_t ahead) const {
  const Token* token = Peek(ahead);
  return token != nullptr && token->kind == TokenKind::kWord && EqualsNoCase(token->text, text);
}

bool TokenCursor::TakePunct(const wchar_t* text) {
  if (!IsPunct(text)) return false;
  ++next_;
  return true;
}

bool TokenCursor::TakeWord(const wchar_t* text) {
  if (!IsWord(text)) return false;
  ++next_;
  return true;
}

void TokenCursor::ExpectPunct(const wchar_t* text) {
  if (!TakePunct(text)) throw ScriptUnsupported{std::wstring(L"expected ") + text};
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

std::wstring LowerCase(std::wstring text) {
  if (!text.empty()) {
    ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  }
  return text;
}

}  // namespace standin
