#include "base/folder_removal.h"

#include <windows.h>

#include <vector>

#include "base/file_helpers.h"
#include "base/path_helpers.h"
#include "base/win_handle.h"

namespace {

struct Entry {
  std::wstring name;
  DWORD attributes;
};

// Without FILE_SHARE_DELETE nobody can rename or replace the entry while it is
// open, so the paths below an open folder stay inside that very folder.
UniqueHandle OpenEntry(const std::wstring& path) {
  return UniqueHandle(::CreateFileW(
      path.c_str(), DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// The folder's entries, read through its handle rather than its path.
bool ListFolder(HANDLE folder, std::vector<Entry>* entries) {
  std::vector<unsigned char> buffer(64 * 1024);
  for (auto infoClass = FileIdBothDirectoryRestartInfo;; infoClass = FileIdBothDirectoryInfo) {
    if (!::GetFileInformationByHandleEx(folder, infoClass, buffer.data(), static_cast<DWORD>(buffer.size()))) {
      return ::GetLastError() == ERROR_NO_MORE_FILES;
    }
    for (size_t offset = 0;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + offset);
      const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") entries->push_back({name, info->FileAttributes});
      if (info->NextEntryOffset == 0) break;
      offset += info->NextEntryOffset;
    }
  }
}

// Deleted when its last handle closes; a read-only file must lose that first.
bool MarkForDeletion(HANDLE entry, DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    FILE_BASIC_INFO basic = {};
    const DWORD rest = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    basic.FileAttributes = rest != 0 ? rest : FILE_ATTRIBUTE_NORMAL;
    ::SetFileInformationByHandle(entry, FileBasicInfo, &basic, sizeof(basic));
  }
  return DeleteThroughHandle(entry);
}

// `seenAttributes` is how the entry looked from its parent folder's listing;
// a reparse point seen there or through the handle is never entered (Wine
// shows its links only in listings).
bool RemoveEntry(const std::wstring& path, DWORD seenAttributes) {
  UniqueHandle entry = OpenEntry(path);
  if (!entry) return false;
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!::GetFileInformationByHandleEx(entry.get(), FileAttributeTagInfo, &tag, sizeof(tag))) return false;
  const DWORD attributes = tag.FileAttributes | seenAttributes;
  bool emptied = true;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    std::vector<Entry> children;
    if (!ListFolder(entry.get(), &children)) return false;
    for (const Entry& child : children) emptied = RemoveEntry(JoinPath(path, child.name), child.attributes) && emptied;
  }
  return emptied && MarkForDeletion(entry.get(), tag.FileAttributes);
}

bool IsAbsent(const std::wstring& path) {
  if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool RemoveFolderTree(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) RemoveEntry(path, attributes);
  return IsAbsent(path);
}
