#include "base/held_folder.h"

#include <winternl.h>

#include <cstring>
#include <vector>

namespace {

using NtCreateFileCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                          ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtSetInformationFileCall = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
using NtQueryDirectoryFileCall = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG,
                                                  BOOLEAN, PUNICODE_STRING, BOOLEAN);
using StatusToErrorCall = ULONG(NTAPI*)(NTSTATUS);

constexpr ULONG kFileDirectoryInformation = 1;
constexpr ULONG kFileRenameInformation = 10;
constexpr ULONG kOpenExisting = 1;  // FILE_OPEN

template <typename Call>
Call NtCall(const char* name) {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll == nullptr ? nullptr : reinterpret_cast<Call>(reinterpret_cast<void*>(::GetProcAddress(ntdll, name)));
}

void SetErrorFrom(NTSTATUS status) {
  static const auto toError = NtCall<StatusToErrorCall>("RtlNtStatusToDosError");
  ::SetLastError(toError != nullptr ? toError(status) : ERROR_GEN_FAILURE);
}

UNICODE_STRING Counted(const std::wstring& name) {
  UNICODE_STRING counted = {};
  counted.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  counted.MaximumLength = counted.Length;
  counted.Buffer = const_cast<wchar_t*>(name.c_str());
  return counted;
}

// FILE_DIRECTORY_INFORMATION as the system writes it.
struct DirectoryEntry {
  ULONG nextEntryOffset;
  ULONG fileIndex;
  LARGE_INTEGER times[4];
  LARGE_INTEGER endOfFile;
  LARGE_INTEGER allocationSize;
  ULONG fileAttributes;
  ULONG fileNameLength;
  WCHAR fileName[1];
};

}  // namespace

bool IsPlainEntryName(const std::wstring& name) {
  return !name.empty() && name.size() < 256 && name != L"." && name != L".." &&
         name.find_first_of(L"\\/:") == std::wstring::npos;
}

UniqueHandle OpenInHeldFolder(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, bool createNew,
                              DWORD* error) {
  static const auto create = NtCall<NtCreateFileCall>("NtCreateFile");
  if (create == nullptr || !IsPlainEntryName(name)) {
    *error = ERROR_INVALID_NAME;
    return UniqueHandle();
  }
  UNICODE_STRING counted = Counted(name);
  OBJECT_ATTRIBUTES attributes = {};
  InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io = {};
  HANDLE opened = nullptr;
  const NTSTATUS status =
      create(&opened, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
             createNew ? FILE_CREATE : kOpenExisting,
             FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, nullptr, 0);
  if (status < 0) {
    SetErrorFrom(status);
    *error = ::GetLastError();
    return UniqueHandle();
  }
  return UniqueHandle(opened);
}

DWORD ListedAttributes(HANDLE folder, const std::wstring& name) {
  static const auto create = NtCall<NtCreateFileCall>("NtCreateFile");
  static const auto query = NtCall<NtQueryDirectoryFileCall>("NtQueryDirectoryFile");
  if (create == nullptr || query == nullptr || !IsPlainEntryName(name)) return INVALID_FILE_ATTRIBUTES;
  // A listing keeps the name it was first asked for, so each question gets a
  // handle of its own: the held folder itself, opened again by no name.
  UNICODE_STRING none = {};
  OBJECT_ATTRIBUTES itself = {};
  InitializeObjectAttributes(&itself, &none, 0, folder, nullptr);
  IO_STATUS_BLOCK opened = {};
  HANDLE listing = nullptr;
  if (create(&listing, FILE_LIST_DIRECTORY | SYNCHRONIZE, &itself, &opened, nullptr, 0,
             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kOpenExisting,
             FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0) < 0) {
    return INVALID_FILE_ATTRIBUTES;
  }
  const UniqueHandle held(listing);
  std::vector<unsigned char> buffer(sizeof(DirectoryEntry) + 512 * sizeof(wchar_t));
  UNICODE_STRING counted = Counted(name);
  IO_STATUS_BLOCK io = {};
  // One entry, matched by its exact name (a plain name holds no wildcard).
  const NTSTATUS status = query(held.get(), nullptr, nullptr, nullptr, &io, buffer.data(),
                                static_cast<ULONG>(buffer.size()), kFileDirectoryInformation, TRUE, &counted, TRUE);
  if (status < 0) return INVALID_FILE_ATTRIBUTES;
  DirectoryEntry entry;
  std::memcpy(&entry, buffer.data(), sizeof(entry));
  return entry.fileAttributes;
}

bool RenameIntoHeldFolder(HANDLE file, HANDLE folder, const std::wstring& name, bool replace) {
  static const auto set = NtCall<NtSetInformationFileCall>("NtSetInformationFile");
  if (set == nullptr || !IsPlainEntryName(name)) {
    ::SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  // FILE_RENAME_INFORMATION: the new name is taken relative to RootDirectory.
  struct RenameHeader {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
  };
  const std::size_t nameBytes = name.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(wchar_t));
  RenameHeader header = {static_cast<BOOLEAN>(replace ? TRUE : FALSE), folder, static_cast<ULONG>(nameBytes)};
  std::memcpy(buffer.data(), &header, sizeof(header));
  std::memcpy(buffer.data() + offsetof(FILE_RENAME_INFO, FileName), name.c_str(), nameBytes);
  IO_STATUS_BLOCK io = {};
  const NTSTATUS status = set(file, &io, buffer.data(), static_cast<ULONG>(buffer.size()), kFileRenameInformation);
  if (status < 0) {
    SetErrorFrom(status);
    return false;
  }
  return true;
}
