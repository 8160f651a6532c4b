// Downloads that survive a cut: into a partial file with a record beside it,
// continued where they stopped, in this run or a later one.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "net/http_client.h"

// Far above any package; a body without a length stops here at the latest.
inline constexpr std::uint64_t kLargestDownload = 1024ULL * 1024 * 1024;

struct DownloadJob {
  std::wstring url;
  std::wstring target;
  std::wstring sha256;  // what the whole file must hash to: a partial file is reused only for the same
  ProgressCallback progress;
  const std::atomic<bool>* cancel = nullptr;  // when set: stop soon, keeping the partial file
  std::uint64_t largest = kLargestDownload;   // a file larger than this is refused, announced or not
  std::uint64_t deadlineMs = 0;               // when set: the whole download ends within it
};

// Streams the answer into "<target>.partial", with a record of the download
// beside it, and makes it `target` (replacing it) once whole and, when the job
// names a digest, hashing to it (the bytes are hashed as they are written; a
// file that does not match is deleted with its record). A cut transfer
// goes on where it stopped, also in a later run: up to three attempts, 2 and
// 4 seconds apart, none after a 4xx answer or a name that does not resolve.
// It goes on as long as bytes arrive, however slowly, unless the job has a
// deadline; the caption of each report says how much came, how fast and how
// long the rest will take. A body without a length is checked against the
// job's largest size and the free space as it arrives.
bool DownloadFile(const DownloadJob& job, std::wstring* errorText);
inline bool DownloadFile(const std::wstring& url, const std::wstring& target, const ProgressCallback& progress,
                         std::wstring* errorText) {
  return DownloadFile(DownloadJob{url, target, L"", progress}, errorText);
}
