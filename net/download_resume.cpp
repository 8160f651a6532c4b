#include "net/download_resume.h"

#include <winhttp.h>

#include "base/text_helpers.h"

std::string FormatPartialRecord(const PartialRecord& record) {
  return WideToUtf8(record.url) + "\n" + WideToUtf8(record.sha256) + "\n" + std::to_string(record.length) + "\n" +
         WideToUtf8(record.validator) + "\n";
}

bool ParsePartialRecord(std::string_view text, PartialRecord* record) {
  std::wstring lines[4];
  for (std::wstring& line : lines) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;
    line = Utf8ToWide(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  const std::optional<std::uint64_t> length = ParseDecimalDigits(std::wstring_view(lines[2]));
  if (!text.empty() || !length) return false;
  *record = {lines[0], lines[1], *length, lines[3]};
  return true;
}

std::uint64_t ResumeOffset(const PartialRecord& saved, const std::wstring& url, const std::wstring& sha256,
                           std::uint64_t partialSize) {
  if (saved.url != url || !EqualsIgnoringCase(saved.sha256, sha256) || saved.validator.empty()) return 0;
  if (saved.length != 0 && partialSize >= saved.length) return 0;
  return partialSize;
}

std::wstring ChooseValidator(const std::wstring& etag, const std::wstring& lastModified) {
  if (!etag.empty() && !StartsWithIgnoringCase(etag, L"W/")) return etag;
  return lastModified;
}

AnswerUse JudgeAnswer(std::uint32_t status, std::uint64_t offset, std::optional<std::uint64_t> rangeStart) {
  if (status == 200) return AnswerUse::StartOver;
  if (status == 206) return offset > 0 && rangeStart == offset ? AnswerUse::Append : AnswerUse::Discard;
  if (status == 416) return AnswerUse::Discard;
  return AnswerUse::Fail;
}

std::optional<std::uint64_t> ContentRangeStart(std::wstring_view contentRange) {
  constexpr std::wstring_view kUnit = L"bytes ";
  if (!StartsWithIgnoringCase(contentRange, kUnit)) return std::nullopt;
  contentRange.remove_prefix(kUnit.size());
  return ParseDecimalDigits(contentRange.substr(0, contentRange.find(L'-')));
}

bool IsWorthRetrying(std::uint32_t status, DWORD error) {
  if (status >= 400 && status < 500) return false;
  return error != ERROR_WINHTTP_NAME_NOT_RESOLVED && error != ERROR_DISK_FULL && error != ERROR_HANDLE_DISK_FULL &&
         error != ERROR_CANCELLED && error != ERROR_FILE_TOO_LARGE && error != ERROR_TIMEOUT;
}

DWORD RetryPauseMs(int attempt) { return attempt < 1 ? 0 : 2000u << (attempt - 1); }
