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
// end of the file; in a file signed after packing (it has a PE security
// directory) only right before the certificate table, which must close the
// file, allowing for the up to 7 zero bytes of padding signing adds.
std::optional<PayloadLocation> ReadPayloadTrailer(HANDLE file);

inline constexpr char kPayloadMagic[8] = {'O', 'L', 'T', 'P', 'A', 'Y', 'L', 'D'};
