// Blocking HTTP(S) GET of small answers into memory; the URL grammar and
// the progress reports that downloads (resumable_download.h) share.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "build_config.h"

// Percent 0..100, or -1 when the length was not announced, and a caption.
using ProgressCallback = std::function<void(int percent, const wchar_t* caption)>;

struct UrlParts {
  std::wstring host;
  std::uint16_t port = 443;
  bool secure = true;
  std::wstring path;
};

// "https://" or "http://", host, optional ":port", path (default "/").
bool SplitUrl(const std::wstring& url, UrlParts* parts);

// Reads the whole answer, asked fresh from the server through any cache
// (Cache-Control and Pragma "no-cache"). True for a 2xx status and a complete body; the
// status is reported either way. Answers over kLargestFetchedAnswer bytes, or
// shorter than their Content-Length, fail. With a budget the whole request
// ends within it, and a body not complete by then fails too.
bool FetchUrl(const std::wstring& url, std::string* body, std::uint32_t* status, const ProgressCallback& progress,
              std::wstring* errorText, std::uint64_t budgetMs = 0);

// Every request fails once nothing has arrived for this long (a wait for the
// answer or for more of it); shorter in the test build.
inline constexpr DWORD kStallTimeoutMs = kStallTimeoutSeconds * 1000;

// Far above any real manifest; keeps a runaway answer from exhausting memory.
inline constexpr std::uint64_t kLargestFetchedAnswer = 16 * 1024 * 1024;
