#include "base/version_compare.h"

#include <cstdint>
#include <optional>

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsVersionCharacter(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'.' || c == L'_' ||
         c == L'+' || c == L'-';
}

// The number at `position`, which moves past it. An exhausted text gives 0; a
// position without a digit gives nothing and stays where it is.
std::optional<std::uint64_t> TakeComponent(std::wstring_view text, size_t& position) {
  if (position >= text.size()) return 0;
  if (!IsDigit(text[position])) return std::nullopt;
  std::uint64_t value = 0;
  for (; position < text.size() && IsDigit(text[position]); ++position) {
    // Saturate: absurdly long numbers still order above shorter ones.
    const std::uint64_t digit = static_cast<std::uint64_t>(text[position] - L'0');
    value = value > (UINT64_MAX - digit) / 10 ? UINT64_MAX : value * 10 + digit;
  }
  return value;
}

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

}  // namespace

int CompareVersions(std::wstring_view a, std::wstring_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() || j < b.size()) {
    const std::optional<std::uint64_t> left = TakeComponent(a, i);
    const std::optional<std::uint64_t> right = TakeComponent(b, j);
    if (!left || !right) return Sign(a.substr(i).compare(b.substr(j)));
    if (*left != *right) return *left < *right ? -1 : 1;
    if (i < a.size() && a[i] == L'.') ++i;
    if (j < b.size() && b[j] == L'.') ++j;
  }
  return 0;
}

bool IsPlainVersionToken(std::wstring_view text) {
  if (text.empty() || text.size() > 64 || text == L"." || text == L"..") return false;
  for (wchar_t c : text) {
    if (!IsVersionCharacter(c)) return false;
  }
  return true;
}
