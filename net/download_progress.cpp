#include "net/download_progress.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;
constexpr std::uint64_t kReportIntervalMs = 250;

std::wstring Megabytes(std::uint64_t bytes) {
  wchar_t text[32] = {};
  std::swprintf(text, 32, L"%.1f", static_cast<double>(bytes) / kMegabyte);
  return text;
}

}  // namespace

std::wstring TimeLeftText(std::uint64_t seconds) {
  if (seconds < 60) return L"약 " + std::to_wstring(seconds) + L"초 남음";
  const std::uint64_t minutes = (seconds + 59) / 60;
  if (minutes < 60) return L"약 " + std::to_wstring(minutes) + L"분 남음";
  const std::wstring hours = L"약 " + std::to_wstring(minutes / 60) + L"시간";
  return minutes % 60 == 0 ? hours + L" 남음" : hours + L" " + std::to_wstring(minutes % 60) + L"분 남음";
}

std::wstring DownloadProgressText(std::uint64_t received, std::uint64_t total, double bytesPerSecond) {
  if (total == 0) return Megabytes(received) + L" MB";
  std::wstring text = Megabytes(received) + L" / " + Megabytes(total) + L" MB";
  if (bytesPerSecond <= 0) return text;
  text += L" · " + Megabytes(static_cast<std::uint64_t>(bytesPerSecond)) + L" MB/s";
  if (received < total) {
    text += L" · " + TimeLeftText(static_cast<std::uint64_t>(static_cast<double>(total - received) / bytesPerSecond));
  }
  return text;
}

DownloadMeter::DownloadMeter(std::uint64_t alreadyThere) : start_(::GetTickCount64()), alreadyThere_(alreadyThere) {}

bool DownloadMeter::Due() {
  const std::uint64_t now = ::GetTickCount64();
  if (lastReport_ != 0 && now - lastReport_ < kReportIntervalMs) return false;
  lastReport_ = now;
  return true;
}

double DownloadMeter::BytesPerSecond(std::uint64_t received) const {
  const std::uint64_t elapsedMs = ::GetTickCount64() - start_;
  if (elapsedMs < 500 || received <= alreadyThere_) return 0;  // too early to say
  return static_cast<double>(received - alreadyThere_) * 1000.0 / static_cast<double>(elapsedMs);
}
