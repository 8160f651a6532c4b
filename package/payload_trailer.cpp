#include "package/payload_trailer.h"

#include <windows.h>

#include <cstring>

#include "base/file_helpers.h"

namespace {

// The trailer whose last byte is just before `end`.
std::optional<PayloadLocation> TrailerEndingAt(HANDLE file, std::uint64_t end) {
  if (end < 16) return std::nullopt;
  char magic[8];
  if (!ReadFileAt(file, end - 8, magic, 8) || std::memcmp(magic, kPayloadMagic, 8) != 0) return std::nullopt;
  unsigned char bytes[8];
  if (!ReadFileAt(file, end - 16, bytes, 8)) return std::nullopt;
  std::uint64_t length = 0;
  for (int i = 7; i >= 0; --i) length = (length << 8) | bytes[i];
  if (length == 0 || length > end - 16) return std::nullopt;
  return PayloadLocation{end - 16 - length, length};
}

// Signing appends the certificate table after everything else and names it in
// the PE security directory (its address is a file offset). Nothing when the
// file is no PE image or names no table.
std::optional<IMAGE_DATA_DIRECTORY> SecurityDirectory(HANDLE file) {
  IMAGE_DOS_HEADER dos;
  if (!ReadFileAt(file, 0, &dos, sizeof(dos)) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0) {
    return std::nullopt;
  }
  const std::uint64_t headers = static_cast<std::uint64_t>(dos.e_lfanew);
  DWORD signature = 0;
  WORD magic = 0;
  const std::uint64_t optionalHeader = headers + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
  if (!ReadFileAt(file, headers, &signature, sizeof(signature)) || signature != IMAGE_NT_SIGNATURE ||
      !ReadFileAt(file, optionalHeader, &magic, sizeof(magic))) {
    return std::nullopt;
  }
  std::uint64_t directories = 0;
  if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    directories = optionalHeader + offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory);
  } else if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    directories = optionalHeader + offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory);
  } else {
    return std::nullopt;
  }
  IMAGE_DATA_DIRECTORY security;
  if (!ReadFileAt(file, directories + IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof(IMAGE_DATA_DIRECTORY), &security,
                  sizeof(security)) ||
      (security.VirtualAddress == 0 && security.Size == 0)) {
    return std::nullopt;
  }
  return security;
}

// The signing tool pads the file with up to 7 zero bytes to an 8-byte
// boundary before it appends the table: the trailer ends before that padding.
std::optional<PayloadLocation> TrailerBeforeTable(HANDLE file, std::uint64_t table) {
  unsigned char padding[8] = {};
  const DWORD before = static_cast<DWORD>(table < 8 ? table : 8);
  if (!ReadFileAt(file, table - before, padding + 8 - before, before)) return std::nullopt;
  for (DWORD zeros = 0; zeros < 8 && zeros <= before; ++zeros) {
    if (zeros > 0 && padding[8 - zeros] != 0) return std::nullopt;
    if (auto location = TrailerEndingAt(file, table - zeros)) return location;
  }
  return std::nullopt;
}

}  // namespace

std::optional<PayloadLocation> ReadPayloadTrailer(HANDLE file) {
  LARGE_INTEGER size{};
  if (file == nullptr || file == INVALID_HANDLE_VALUE || !::GetFileSizeEx(file, &size) || size.QuadPart < 16) {
    return std::nullopt;
  }
  const auto fileSize = static_cast<std::uint64_t>(size.QuadPart);
  const std::optional<IMAGE_DATA_DIRECTORY> security = SecurityDirectory(file);
  if (!security) return TrailerEndingAt(file, fileSize);
  // A signed file: its end lies inside the certificate table, which anyone
  // can grow without breaking the signature. Only the place before a table
  // that closes the file counts.
  if (static_cast<std::uint64_t>(security->VirtualAddress) + security->Size != fileSize) return std::nullopt;
  return TrailerBeforeTable(file, security->VirtualAddress);
}
