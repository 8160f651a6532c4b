#include "fakes/powershell/file_ops.h"

#include <windows.h>

#include "base/win_handle.h"

namespace standin {
namespace {

std::wstring MissingPath(const std::wstring& path) {
  return L"Cannot find path '" + path + L"' because it does not exist.";
}

std::wstring SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  UniqueLocalMemory owner(text);
  std::wstring message = length > 0 ? std::wstring(text, length) : L"error " + std::to_wstring(code);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
  return message;
}

std::wstring Failed(const wchar_t* what, const std::wstring& path) {
  const DWORD code = ::GetLastError();
  return std::wstring(what) + L" '" + path + L"': " + SystemMessage(code);
}

// Everything inside the folder, then the folder; false when anything stays.
bool RemoveTree(const std::wstring& folder) {
  bool removedAll = true;
  WIN32_FIND_DATAW entry;
  UniqueFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &entry));
  if (find) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = folder + L"\\" + name;
      const DWORD attributes = entry.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        removedAll = RemoveTree(child) && removedAll;
      } else {
        ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        removedAll = ::DeleteFileW(child.c_str()) && removedAll;
      }
    } while (::FindNextFileW(find.get(), &entry));
  }
  find.reset();
  return ::RemoveDirectoryW(folder.c_str()) && removedAll;
}

bool IsFolderEmpty(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  UniqueFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &entry));
  if (!find) return true;
  do {
    if (std::wstring(entry.cFileName) != L"." && std::wstring(entry.cFileName) != L"..") return false;
  } while (::FindNextFileW(find.get(), &entry));
  return true;
}

}  // namespace

bool FileSystemPathExists(const std::wstring& path) {
  return !path.empty() && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsExistingFolder(const std::wstring& path) {
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring AbsolutePath(const std::wstring& path) {
  if (path.empty()) return path;
  const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return full;
}

std::wstring CreateFolders(const std::wstring& path) {
  const std::wstring full = AbsolutePath(path);
  // Walk forward from the root, creating each missing level.
  for (size_t at = full.find_first_of(L"\\/", 3);; at = full.find_first_of(L"\\/", at + 1)) {
    const std::wstring level = full.substr(0, at);
    if (!level.empty() && !IsExistingFolder(level)) {
      if (!::CreateDirectoryW(level.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return Failed(L"Cannot create the folder", level);
      }
      if (!IsExistingFolder(level)) return L"An item with the name '" + level + L"' exists and is not a folder.";
    }
    if (at == std::wstring::npos) return {};
  }
}

std::wstring WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Failed(L"Cannot write", path);
  DWORD written = 0;
  if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    return Failed(L"Cannot write", path);
  }
  return {};
}

std::wstring ReadWholeFile(const std::wstring& path, std::string& bytes) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return FileSystemPathExists(path) ? Failed(L"Cannot read", path) : MissingPath(path);
  bytes.clear();
  char chunk[65536];
  DWORD read = 0;
  while (::ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
  return {};
}

std::wstring CopyFileItem(const std::wstring& source, const std::wstring& destination) {
  if (!FileSystemPathExists(source)) return MissingPath(source);
  if (IsExistingFolder(source)) return L"Copying the folder '" + source + L"' is not supported by the stand-in.";
  std::wstring target = destination;
  if (IsExistingFolder(destination)) {
    const size_t slash = source.find_last_of(L"\\/");
    target = destination + L"\\" + (slash == std::wstring::npos ? source : source.substr(slash + 1));
  }
  if (!::CopyFileW(source.c_str(), target.c_str(), FALSE)) return Failed(L"Cannot copy to", target);
  return {};
}

std::wstring RemoveFileSystemItem(const std::wstring& path, bool recurse) {
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return MissingPath(path);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(path.c_str()) ? std::wstring() : Failed(L"Cannot remove", path);
  }
  // Without -Recurse the real cmdlet would stop to ask about the contents.
  if (!recurse && !IsFolderEmpty(path)) {
    return L"The folder '" + path + L"' has children and -Recurse was not given.";
  }
  return RemoveTree(path) ? std::wstring() : Failed(L"Cannot remove everything in", path);
}

}  // namespace standin
