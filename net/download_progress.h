// What a download's status line says: how much came, of how much, how fast
// and how long the rest will take.
#pragma once

#include <cstdint>
#include <string>

// "48.2 / 200.0 MB · 1.9 MB/s · 약 1분 남음"; without a total (0) only
// "48.2 MB", and without a speed (0) neither speed nor time left.
std::wstring DownloadProgressText(std::uint64_t received, std::uint64_t total, double bytesPerSecond);

// "약 12초 남음", "약 3분 남음" (whole minutes, rounded up), "약 2시간 5분 남음".
std::wstring TimeLeftText(std::uint64_t seconds);

// Measures a download's speed over the bytes of this attempt and says when
// the next report is due: at most four times a second.
class DownloadMeter {
 public:
  explicit DownloadMeter(std::uint64_t alreadyThere);
  // True when a report is due now.
  bool Due();
  double BytesPerSecond(std::uint64_t received) const;

 private:
  std::uint64_t start_;
  std::uint64_t alreadyThere_;
  std::uint64_t lastReport_ = 0;
};
