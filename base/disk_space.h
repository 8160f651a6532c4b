// Free space before Setup writes much: a full disk is said as such, with the
// drive and the space needed, instead of failing half-way.
#pragma once

#include <cstdint>
#include <string>

// Room kept free beyond what a step needs, for the system and the scripts.
inline constexpr std::uint64_t kFreeSpaceMargin = 64ull * 1024 * 1024;

// True when the drive of `folder` has `needed` bytes and the margin free (or
// its free space cannot be read); false with a message naming the drive and
// the space needed otherwise.
bool HasRoomFor(const std::wstring& folder, std::uint64_t needed, std::wstring* message);

// "드라이브 C:\에 공간이 부족합니다. 약 120 MB가 더 필요합니다." for the numbers.
std::wstring NotEnoughSpaceText(const std::wstring& drive, std::uint64_t needed, std::uint64_t available);

// Whether a failure message is about disk space (then no network advice goes
// with it).
bool IsDiskSpaceMessage(const std::wstring& message);
