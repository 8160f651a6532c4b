// Blocking HTTP(S) GET: small answers into memory, downloads into files.
#pragma once

#include <windows.h>

#include <atomic>
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

// Reads the whole answer. True for a 2xx status and a complete body; the
// status is reported either way. Answers over kLargestFetchedAnswer bytes, or
// shorter than their Content-Length, fail. With a budget the whole request
// ends within it, and a body not complete by then fails too.
bool FetchUrl(const std::wstring& url, std::string* body, std::uint32_t* status, const ProgressCallback& progress,
              std::wstring* errorText, std::uint64_t budgetMs = 0);

struct DownloadJob {
  std::wstring url;
  std::wstring target;
  std::wstring sha256;  // what the whole file must hash to: a partial file is reused only for the same
  ProgressCallback progress;
  const std::atomic<bool>* cancel = nullptr;  // when set: stop soon, keeping the partial file
};

// Streams the answer into "<target>.partial", with a record of the download
// beside it, and makes it `target` (replacing it) once whole. A cut transfer
// goes on where it stopped, also in a later run: up to three attempts, 2 and
// 4 seconds apart, none after a 4xx answer or a name that does not resolve.
// It goes on as long as bytes arrive, however slowly; the caption of each
// report says how much came, how fast and how long the rest will take.
bool DownloadFile(const DownloadJob& job, std::wstring* errorText);
inline bool DownloadFile(const std::wstring& url, const std::wstring& target, const ProgressCallback& progress,
                         std::wstring* errorText) {
  return DownloadFile(DownloadJob{url, target, L"", progress}, errorText);
}

// Every request fails once nothing has arrived for this long (a wait for the
// answer or for more of it); shorter in the test build.
inline constexpr DWORD kStallTimeoutMs = kStallTimeoutSeconds * 1000;

// Far above any real manifest; keeps a runaway answer from exhausting memory.
inline constexpr std::uint64_t kLargestFetchedAnswer = 16 * 1024 * 1024;
