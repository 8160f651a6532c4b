// Splits one line of a script into tokens. Strings keep their raw text here;
// double-quoted strings are expanded only when evaluated.
#pragma once

#include <string>
#include <vector>

namespace standin {

enum class TokenKind {
  kWord,          // command names, parameters (-Path), operators (-eq), numbers, bare text
  kSingleQuoted,  // text with '' already undoubled
  kDoubleQuoted,  // raw text between the quotes, escapes still in place
  kVariable,      // name without the $: "Language", "env:ProgramFiles"
  kType,          // [string]: the text between the brackets
  kPunct,         // ( ) { } + = , | . ;
};

struct Token {
  TokenKind kind = TokenKind::kWord;
  std::wstring text;
};

// The tokens of one line; a comment ends the line. Throws ScriptUnsupported.
std::vector<Token> TokenizeLine(const std::wstring& line);

// Walks the tokens of one line.
class TokenCursor {
 public:
  explicit TokenCursor(const std::vector<Token>& tokens, size_t start = 0) : tokens_(tokens), next_(start) {}

  bool AtEnd() const { return next_ >= tokens_.size(); }
  const Token* Peek(size_t ahead = 0) const;
  const Token& Take();  // throws at the end
  bool IsPunct(const wchar_t* text, size_t ahead = 0) const;
  bool IsWord(const wchar_t* text, size_t ahead = 0) const;  // case-insensitive
  bool TakePunct(const wchar_t* text);
  bool TakeWord(const wchar_t* text);
  void ExpectPunct(const wchar_t* text);
  size_t position() const { return next_; }
  size_t size() const { return tokens_.size(); }

 private:
  const std::vector<Token>& tokens_;
  size_t next_;
};

// Case-insensitive comparison as PowerShell does for names and -eq.
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);
std::wstring LowerCase(std::wstring text);

}  // namespace standin
