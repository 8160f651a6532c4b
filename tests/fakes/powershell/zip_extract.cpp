#include "fakes/powershell/zip_extract.h"

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/text_helpers.h"
#include "fakes/powershell/file_ops.h"
#include "fakes/powershell/script_tokens.h"

namespace standin {
namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;

struct Failure {
  std::wstring message;
};

struct Entry {
  std::wstring name;  // with \ separators, checked to stay inside
  bool folder = false;
  uint16_t method = 0;
  uint32_t crc = 0;
  uint32_t packedSize = 0;
  uint32_t size = 0;
  uint32_t localOffset = 0;
};

// Little-endian reads with bounds checks against the whole archive.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  uint16_t U16(size_t at) const { return static_cast<uint16_t>(Byte(at) | Byte(at + 1) << 8); }
  uint32_t U32(size_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
  std::string Bytes(size_t at, size_t count) const {
    Require(at, count);
    return bytes_.substr(at, count);
  }
  void Require(size_t at, size_t count) const {
    if (at > bytes_.size() || count > bytes_.size() - at) throw Failure{L"the archive is damaged (cut short)"};
  }
  size_t size() const { return bytes_.size(); }
  const char* data(size_t at) const { return bytes_.data() + at; }

 private:
  unsigned Byte(size_t at) const {
    Require(at, 1);
    return static_cast<unsigned char>(bytes_[at]);
  }
  const std::string& bytes_;
};

size_t FindEndRecord(const Reader& zip) {
  if (zip.size() < kEndSize) throw Failure{L"the file is not a ZIP archive"};
  const size_t lowest = zip.size() > kEndSize + 0xFFFF ? zip.size() - kEndSize - 0xFFFF : 0;
  for (size_t at = zip.size() - kEndSize + 1; at-- > lowest;) {
    if (zip.U32(at) == kEndSignature) return at;
  }
  throw Failure{L"the file is not a ZIP archive"};
}

std::wstring DecodeName(const std::string& raw, bool utf8) {
  if (utf8) return Utf8ToWide(raw);
  const int length = ::MultiByteToWideChar(437, 0, raw.data(), static_cast<int>(raw.size()), nullptr, 0);
  std::wstring name(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) ::MultiByteToWideChar(437, 0, raw.data(), static_cast<int>(raw.size()), name.data(), length);
  return name;
}

// The entry's relative path with \ separators; refuses names that would leave
// the destination (rooted, drive- or stream-qualified, or with a .. part).
std::wstring SafeRelativeName(std::wstring name) {
  for (wchar_t& c : name) {
    if (c == L'/') c = L'\\';
  }
  const std::wstring refused = L"the entry '" + name + L"' would be extracted outside the destination folder";
  if (name.empty() || name[0] == L'\\' || name.find(L':') != std::wstring::npos) throw Failure{refused};
  std::wstring clean;
  size_t start = 0;
  while (start <= name.size()) {
    const size_t end = std::min(name.find(L'\\', start), name.size());
    const std::wstring part = name.substr(start, end - start);
    // Windows drops trailing dots and blanks, so "..." or ". ." would act as "..".
    if (part.find_first_not_of(L". ") == std::wstring::npos && !part.empty() && part != L".") throw Failure{refused};
    if (!part.empty() && part != L".") clean += (clean.empty() ? L"" : L"\\") + part;
    start = end + 1;
  }
  return clean;
}

Entry ReadCentralEntry(const Reader& zip, size_t& at) {
  if (zip.U32(at) != kCentralSignature) throw Failure{L"the archive is damaged (central directory)"};
  const uint16_t flags = zip.U16(at + 8);
  Entry entry;
  entry.method = zip.U16(at + 10);
  entry.crc = zip.U32(at + 16);
  entry.packedSize = zip.U32(at + 20);
  entry.size = zip.U32(at + 24);
  const size_t nameLength = zip.U16(at + 28);
  const size_t extraLength = zip.U16(at + 30);
  const size_t commentLength = zip.U16(at + 32);
  entry.localOffset = zip.U32(at + 42);
  const std::string rawName = zip.Bytes(at + kCentralSize, nameLength);
  at += kCentralSize + nameLength + extraLength + commentLength;

  if (entry.packedSize == 0xFFFFFFFF || entry.size == 0xFFFFFFFF || entry.localOffset == 0xFFFFFFFF) {
    throw Failure{L"ZIP64 archives are not supported by the stand-in"};
  }
  if (flags & 0x0001) throw Failure{L"encrypted entries are not supported"};
  if (entry.method != 0 && entry.method != 8) {
    throw Failure{L"compression method " + std::to_wstring(entry.method) + L" is not supported"};
  }
  const std::wstring name = DecodeName(rawName, (flags & 0x0800) != 0);
  entry.folder = !name.empty() && (name.back() == L'/' || name.back() == L'\\');
  entry.name = SafeRelativeName(name);
  return entry;
}

std::vector<Entry> ReadDirectory(const Reader& zip) {
  const size_t end = FindEndRecord(zip);
  const uint16_t count = zip.U16(end + 10);
  const uint32_t directoryOffset = zip.U32(end + 16);
  if (count == 0xFFFF || directoryOffset == 0xFFFFFFFF || (end >= 20 && zip.U32(end - 20) == kZip64LocatorSignature)) {
    throw Failure{L"ZIP64 archives are not supported by the stand-in"};
  }
  std::vector<Entry> entries;
  size_t at = directoryOffset;
  for (uint16_t i = 0; i < count; ++i) entries.push_back(ReadCentralEntry(zip, at));
  return entries;
}

std::string Unpack(const Reader& zip, const Entry& entry) {
  const size_t local = entry.localOffset;
  if (zip.U32(local) != kLocalSignature) throw Failure{L"the archive is damaged (entry " + entry.name + L")"};
  const size_t dataStart = local + kLocalSize + zip.U16(local + 26) + zip.U16(local + 28);
  zip.Require(dataStart, entry.packedSize);
  std::string data;
  if (entry.method == 0) {
    data = zip.Bytes(dataStart, entry.packedSize);
  } else {
    // One spare byte shows data that inflates to more than the recorded size.
    data.assign(static_cast<size_t>(entry.size) + 1, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throw Failure{L"zlib could not start"};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.data(dataStart)));
    stream.avail_in = entry.packedSize;
    stream.next_out = reinterpret_cast<Bytef*>(data.data());
    stream.avail_out = static_cast<uInt>(data.size());
    const int result = inflate(&stream, Z_FINISH);
    const uLong produced = stream.total_out;
    inflateEnd(&stream);
    if (result != Z_STREAM_END) throw Failure{L"the archive is damaged (entry " + entry.name + L")"};
    data.resize(produced);
  }
  const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
  if (data.size() != entry.size || crc != entry.crc) {
    throw Failure{L"the archive is damaged (entry " + entry.name + L" fails its check)"};
  }
  return data;
}

void WriteEntry(const Entry& entry, const std::string& data, const std::wstring& root, bool overwrite) {
  const std::wstring target = entry.name.empty() ? root : root + L"\\" + entry.name;
  if (entry.folder) {
    if (const std::wstring error = CreateFolders(target); !error.empty()) throw Failure{error};
    return;
  }
  if (const std::wstring error = CreateFolders(target.substr(0, target.rfind(L'\\'))); !error.empty()) {
    throw Failure{error};
  }
  if (!overwrite && FileSystemPathExists(target)) throw Failure{L"the file '" + target + L"' already exists"};
  if (const std::wstring error = WriteWholeFile(target, data); !error.empty()) throw Failure{error};
}

}  // namespace

std::wstring ExtractZipArchive(const std::wstring& archive, const std::wstring& destination, bool overwrite) {
  const std::wstring lowerArchive = LowerCase(archive);
  if (lowerArchive.size() < 4 || lowerArchive.compare(lowerArchive.size() - 4, 4, L".zip") != 0) {
    // Windows PowerShell's Expand-Archive accepts nothing but .zip files.
    return L"'" + archive +
           L"' is not a supported archive file format. .zip is the only supported archive "
           L"file format.";
  }
  std::string bytes;
  if (const std::wstring error = ReadWholeFile(archive, bytes); !error.empty()) return error;
  try {
    const Reader zip(bytes);
    const std::vector<Entry> entries = ReadDirectory(zip);
    // Everything is unpacked and checked before the first file is written.
    std::vector<std::string> contents;
    for (const Entry& entry : entries) contents.push_back(entry.folder ? std::string() : Unpack(zip, entry));
    const std::wstring root = AbsolutePath(destination);
    if (const std::wstring error = CreateFolders(root); !error.empty()) return error;
    for (size_t i = 0; i < entries.size(); ++i) WriteEntry(entries[i], contents[i], root, overwrite);
  } catch (const Failure& failure) {
    return L"Cannot expand '" + archive + L"': " + failure.message + L".";
  }
  return {};
}

}  // namespace standin
