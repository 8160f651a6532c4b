// The decisions of a download that can go on where it stopped: what a
// partial file remembers, where the next request starts, how an answer is
// taken, and which failures are worth another attempt.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Kept beside a partial file ("<target>.partial.info"): which download it is
// part of, and what the server said identifies that file.
struct PartialRecord {
  std::wstring url;
  std::wstring sha256;       // the digest the whole file must have
  std::uint64_t length = 0;  // the whole file's length; 0 when unknown
  std::wstring validator;    // a strong ETag or a Last-Modified date; empty: none
};

// Four lines of UTF-8, each ended by LF.
std::string FormatPartialRecord(const PartialRecord& record);
bool ParsePartialRecord(std::string_view text, PartialRecord* record);

// Where the next request starts: past the bytes of a partial file kept for
// the same URL and digest, when there is a validator to ask with and the file
// is not longer than the whole; 0 otherwise (the partial file is then
// discarded).
std::uint64_t ResumeOffset(const PartialRecord& saved, const std::wstring& url, const std::wstring& sha256,
                           std::uint64_t partialSize);

// The validator to resume with: a strong ETag, else Last-Modified. A weak ETag
// ("W/...") may not be used to ask for a part.
std::wstring ChooseValidator(const std::wstring& etag, const std::wstring& lastModified);

enum class AnswerUse {
  Append,     // 206 for exactly the bytes asked for: add them to the partial file
  StartOver,  // 200: the whole file again, from the first byte
  Discard,    // a part that does not fit (or 416): throw the partial file away and ask again
  Fail,       // any other status
};

// How to take an answer with `status` (and the first byte of its
// Content-Range, when it has one) to a request that asked from `offset`.
AnswerUse JudgeAnswer(std::uint32_t status, std::uint64_t offset, std::optional<std::uint64_t> rangeStart);

// The first byte of a "bytes <first>-<last>/<total>" Content-Range.
std::optional<std::uint64_t> ContentRangeStart(std::wstring_view contentRange);

// Whether a failed attempt may be repeated: not after a 4xx answer, a name
// that does not resolve, a full disk, a cancel, a file over its size or a
// deadline passed.
bool IsWorthRetrying(std::uint32_t status, DWORD error);

// The pause after failed attempt `attempt` (1, 2, ...): 2, 4, 8 seconds.
DWORD RetryPauseMs(int attempt);
