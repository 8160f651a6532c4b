#include "base/file_helpers.h"

#include <shlobj.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr DWORD kCopyBlock = 1024 * 1024;

bool IsRealDirectory(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

}  // namespace

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

UniqueHandle OpenRealFolder(const std::wstring& folder, DWORD access) {
  if (!IsRealDirectory(::GetFileAttributesW(folder.c_str()))) return UniqueHandle();
  UniqueHandle held(::CreateFileW(folder.c_str(), access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!held || !::GetFileInformationByHandleEx(held.get(), FileAttributeTagInfo, &tag, sizeof(tag)) ||
      !IsRealDirectory(tag.FileAttributes)) {
    return UniqueHandle();
  }
  return held;
}

std::vector<UniqueHandle> HoldRealFolders(const std::wstring& folder, bool createMissing) {
  // The root, its last "\" included: "C:\" of a drive path, "\\server\share\" of a share path.
  std::size_t rootLength = 0;
  if (folder.size() >= 2 && folder[1] == L':') {
    rootLength = 3;
  } else if (folder.rfind(L"\\\\", 0) == 0) {
    const std::size_t share = folder.find(L'\\', 2);
    if (share == std::wstring::npos) return {};
    const std::size_t afterShare = folder.find(L'\\', share + 1);
    rootLength = afterShare == std::wstring::npos ? folder.size() : afterShare + 1;
  } else {
    return {};
  }
  std::wstring root = folder.substr(0, rootLength);
  if (root.back() != L'\\') root += L'\\';
  std::vector<std::wstring> chain = {root};
  for (std::size_t at = rootLength; at < folder.size();) {
    std::size_t end = folder.find(L'\\', at);
    if (end == std::wstring::npos) end = folder.size();
    if (end > at) chain.push_back(folder.substr(0, end));
    at = end + 1;
  }
  std::vector<UniqueHandle> held;
  for (const std::wstring& part : chain) {
    if (createMissing && !held.empty() && ::GetFileAttributesW(part.c_str()) == INVALID_FILE_ATTRIBUTES) {
      ::CreateDirectoryW(part.c_str(), nullptr);
    }
    held.push_back(OpenRealFolder(part, FILE_LIST_DIRECTORY));
    if (!held.back()) return {};
  }
  return held;
}

bool IsPlainFileAttributes(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

UniqueHandle OpenPlainFileToRead(const std::wstring& path, DWORD* error) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    *error = ::GetLastError();
    return UniqueHandle();
  }
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) {
    *error = ::GetLastError();
    return file;
  }
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!IsPlainFileAttributes(attributes) ||
      !::GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof(tag)) ||
      !IsPlainFileAttributes(tag.FileAttributes)) {
    *error = ERROR_DIRECTORY;
    return UniqueHandle();
  }
  return file;
}

bool EnsureFolder(const std::wstring& folder) {
  if (folder.empty()) return false;
  if (IsDirectory(folder)) return true;
  const int result = ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || IsDirectory(folder);
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
  UniqueHandle file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::string ReadSmallFile(const std::wstring& path, std::uint64_t limit) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 1 ||
      static_cast<std::uint64_t>(size.QuadPart) > limit) {
    return {};
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return {};
  bytes.resize(read);
  return bytes;
}

bool DeleteThroughHandle(HANDLE entry) {
  FILE_DISPOSITION_INFO remove = {TRUE};
  return ::SetFileInformationByHandle(entry, FileDispositionInfo, &remove, sizeof(remove)) != FALSE;
}

bool RenameThroughHandle(HANDLE entry, const std::wstring& target, bool replace) {
  const DWORD nameBytes = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  // The structure ends in the first character of the name; the rest follows it.
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = replace ? TRUE : FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = nameBytes;
  std::memcpy(rename->FileName, target.data(), nameBytes);
  return ::SetFileInformationByHandle(entry, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
}

bool ReadFileAt(HANDLE file, std::uint64_t offset, void* buffer, DWORD size) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  return ::ReadFile(file, buffer, size, &read, &at) && read == size;
}

bool CopyFileRange(HANDLE source, std::uint64_t offset, std::uint64_t length, HANDLE target,
                   const std::function<void(std::uint64_t copied)>& copied) {
  const auto block = std::make_unique<char[]>(kCopyBlock);
  for (std::uint64_t done = 0; done < length;) {
    const DWORD wanted = length - done < kCopyBlock ? static_cast<DWORD>(length - done) : kCopyBlock;
    DWORD stored = 0;
    if (!ReadFileAt(source, offset + done, block.get(), wanted) ||
        !::WriteFile(target, block.get(), wanted, &stored, nullptr) || stored != wanted) {
      return false;
    }
    done += wanted;
    if (copied) copied(done);
  }
  return true;
}

bool CopyHandleToFile(HANDLE source, const std::wstring& target, DWORD* openError) {
  LARGE_INTEGER size{};
  FILETIME written{};
  if (!::GetFileSizeEx(source, &size) || !::GetFileTime(source, nullptr, nullptr, &written)) return false;
  UniqueHandle to(
      ::CreateFileW(target.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!to) {
    if (openError) *openError = ::GetLastError();
    return false;
  }
  if (CopyFileRange(source, 0, static_cast<std::uint64_t>(size.QuadPart), to.get()) &&
      ::SetFileTime(to.get(), nullptr, nullptr, &written)) {
    return true;
  }
  DeleteThroughHandle(to.get());  // a half-written copy is worse than none
  return false;
}
