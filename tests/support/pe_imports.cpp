#include "support/pe_imports.h"

#include <windows.h>

#include <cstring>

namespace {

class ImageView {
 public:
  explicit ImageView(const std::string& bytes) : bytes_(bytes) {}

  template <typename T>
  bool Read(size_t offset, T* out) const {
    if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return false;
    std::memcpy(out, bytes_.data() + offset, sizeof(T));
    return true;
  }

  bool LoadSections(const IMAGE_NT_HEADERS64& headers, size_t headersOffset) {
    size_t offset =
        headersOffset + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + headers.FileHeader.SizeOfOptionalHeader;
    sections_.resize(headers.FileHeader.NumberOfSections);
    for (IMAGE_SECTION_HEADER& section : sections_) {
      if (!Read(offset, &section)) return false;
      offset += sizeof(IMAGE_SECTION_HEADER);
    }
    return true;
  }

  std::optional<size_t> OffsetOf(DWORD rva) const {
    for (const IMAGE_SECTION_HEADER& section : sections_) {
      const DWORD size =
          section.Misc.VirtualSize > section.SizeOfRawData ? section.Misc.VirtualSize : section.SizeOfRawData;
      if (rva >= section.VirtualAddress && rva < section.VirtualAddress + size) {
        return static_cast<size_t>(rva - section.VirtualAddress) + section.PointerToRawData;
      }
    }
    return std::nullopt;
  }

  std::optional<std::string> StringAt(DWORD rva) const {
    const auto offset = OffsetOf(rva);
    if (!offset || *offset >= bytes_.size()) return std::nullopt;
    const size_t end = bytes_.find('\0', *offset);
    if (end == std::string::npos) return std::nullopt;
    return bytes_.substr(*offset, end - *offset);
  }

 private:
  const std::string& bytes_;
  std::vector<IMAGE_SECTION_HEADER> sections_;
};

// Walks a table of fixed-size descriptors that ends with an all-zero one and
// whose name field is an RVA.
template <typename Descriptor, typename NameOf>
bool ReadNames(const ImageView& image, DWORD tableRva, NameOf nameOf, std::vector<std::string>* names) {
  if (tableRva == 0) return true;
  const auto table = image.OffsetOf(tableRva);
  if (!table) return false;
  for (size_t offset = *table;; offset += sizeof(Descriptor)) {
    Descriptor descriptor;
    if (!image.Read(offset, &descriptor)) return false;
    const DWORD nameRva = nameOf(descriptor);
    if (nameRva == 0) return true;
    const auto name = image.StringAt(nameRva);
    if (!name) return false;
    names->push_back(*name);
  }
}

}  // namespace

std::optional<PeImports> ReadPeImports(const std::string& bytes) {
  ImageView image(bytes);
  IMAGE_DOS_HEADER dos;
  if (!image.Read(0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return std::nullopt;
  IMAGE_NT_HEADERS64 headers;
  const size_t headersOffset = static_cast<size_t>(dos.e_lfanew);
  if (!image.Read(headersOffset, &headers) || headers.Signature != IMAGE_NT_SIGNATURE ||
      headers.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC || !image.LoadSections(headers, headersOffset)) {
    return std::nullopt;
  }
  const IMAGE_DATA_DIRECTORY* directories = headers.OptionalHeader.DataDirectory;
  PeImports imports;
  const bool ok = ReadNames<IMAGE_IMPORT_DESCRIPTOR>(
                      image, directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress,
                      [](const IMAGE_IMPORT_DESCRIPTOR& d) { return d.Name; }, &imports.imported) &&
                  ReadNames<IMAGE_DELAYLOAD_DESCRIPTOR>(
                      image, directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress,
                      [](const IMAGE_DELAYLOAD_DESCRIPTOR& d) { return d.DllNameRVA; }, &imports.delayLoaded);
  if (!ok) return std::nullopt;
  return imports;
}
