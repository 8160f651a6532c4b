#include "base/text_helpers.h"

#include <windows.h>

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::wstring_view WithoutLineEnd(std::wstring_view line) {
  while (!line.empty() && (line.back() == L'\r' || line.back() == L'\n')) line.remove_suffix(1);
  return line;
}

bool IsPowerShellSingleQuote(wchar_t c) {
  return c == L'\'' || c == L'\u2018' || c == L'\u2019' || c == L'\u201A' || c == L'\u201B';
}

std::wstring QuotePowerShellLiteral(const std::wstring& text) {
  std::wstring quoted = L"'";
  for (wchar_t c : text) {
    if (IsPowerShellSingleQuote(c)) quoted += c;  // doubled, it stays inside
    quoted += c;
  }
  quoted += L'\'';
  return quoted;
}

std::wstring Utf8ToWide(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, text.data(), length);
  return text;
}

std::string WideToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string bytes(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}
