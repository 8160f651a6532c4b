// Downloads that survive a cut: into a partial file with a record beside it,
// continued where they stopped, in this run or a later one.
#pragma once

#include <atomic>
#include <string>

#include "net/http_client.h"

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
