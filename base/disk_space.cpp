#include "base/disk_space.h"

#include <windows.h>

#include "base/failure.h"

std::wstring NotEnoughSpaceText(const std::wstring& drive, std::uint64_t needed, std::uint64_t available) {
  constexpr std::uint64_t kMegabyte = 1024 * 1024;
  const std::uint64_t missing = needed > available ? needed - available : 0;
  return L"드라이브 " + drive + L"에 공간이 부족합니다.\n약 " + std::to_wstring((missing + kMegabyte - 1) / kMegabyte) +
         L" MB가 더 필요합니다.";
}

bool IsDiskSpaceMessage(const std::wstring& message) { return message.find(L"공간이 부족") != std::wstring::npos; }

bool HasRoomFor(const std::wstring& folder, std::uint64_t needed, std::wstring* message) {
  wchar_t volume[MAX_PATH] = {};
  ULARGE_INTEGER available = {};
  if (!::GetVolumePathNameW(folder.c_str(), volume, MAX_PATH) ||
      !::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) {
    return true;  // unknown: the write itself will tell
  }
  const std::uint64_t wanted = needed + kFreeSpaceMargin;
  if (available.QuadPart >= wanted) return true;
  return FailWithMessage(message, NotEnoughSpaceText(volume, wanted, available.QuadPart));
}
