// Finding the install package appended to a single-file Setup: a ZIP archive,
// its length as 8 little-endian bytes and the magic "OLTPAYLD".
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

struct PayloadLocation {
  std::uint64_t offset = 0;  // where the archive starts in the file
  std::uint64_t length = 0;
};

// The payload of the open file, or nothing. The trailer is looked for at the
// end of the file and, for a file signed after packing, right before the
// certificate table that its PE security directory names.
std::optional<PayloadLocation> ReadPayloadTrailer(HANDLE file);

inline constexpr char kPayloadMagic[8] = {'O', 'L', 'T', 'P', 'A', 'Y', 'L', 'D'};
