// Text helpers shared by every subsystem.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Equal with letter case ignored the way the file system ignores it (ordinal,
// not by locale), so names, switches and paths all compare alike.
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b);

// The text begins with the prefix, letter case ignored as above.
bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix);

// PowerShell ends a single-quoted string at any of five characters: ' and
// the quotes U+2018 to U+201B.
bool IsPowerShellSingleQuote(wchar_t c);

// 'text' with every one of those quotes doubled: a PowerShell literal that
// expands nothing and that no file or user name can end.
std::wstring QuotePowerShellLiteral(const std::wstring& text);

// 1 to 19 decimal digits and nothing else, as a number; nothing otherwise.
// Strict, for numbers read from servers and files.
template <typename Char>
std::optional<std::uint64_t> ParseDecimalDigits(std::basic_string_view<Char> text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t value = 0;
  for (Char c : text) {
    if (c < Char('0') || c > Char('9')) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - Char('0'));
  }
  return value;
}

// The line without its trailing CR and LF characters.
std::wstring_view WithoutLineEnd(std::wstring_view line);

// UTF-8 and UTF-16 conversions; invalid UTF-8 becomes replacement characters.
std::wstring Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::wstring_view text);
