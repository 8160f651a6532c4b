// Blocking HTTP(S) GET: small answers into memory, downloads into files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

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

// Reads the whole answer. True for a 2xx status; the status is reported
// either way. Answers over kLargestFetchedAnswer bytes fail.
bool FetchUrl(const std::wstring& url, std::string* body, std::uint32_t* status,
              const ProgressCallback& progress, std::wstring* errorText);

// Streams the answer into the file (replacing it); a broken transfer leaves no
// file behind.
bool DownloadFile(const std::wstring& url, const std::wstring& target, const ProgressCallback& progress,
                  std::wstring* errorText);

// Far above any real manifest; keeps a runaway answer from exhausting memory.
inline constexpr std::uint64_t kLargestFetchedAnswer = 16 * 1024 * 1024;
