// Folders and whole files as Setup makes and reads them, in one place so that
// every subsystem treats them alike.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/win_handle.h"

// True for an existing directory (a link to one counts: callers that must not
// follow links check for them first).
bool IsDirectory(const std::wstring& path);

// Opens a folder that is a real directory and no link, as seen both through
// its path (where Wine shows links) and through the handle. Without delete
// sharing, so it cannot be renamed or replaced while held. Empty otherwise.
UniqueHandle OpenRealFolder(const std::wstring& folder, DWORD access);

// Every folder from the root of `folder` (a drive or a share) down to it, each
// opened as by OpenRealFolder and held, so that nothing on the way can be a
// link or be renamed while held; with `createMissing`, a missing one is made
// inside its held parent first. Empty when any of them is not a real one.
std::vector<UniqueHandle> HoldRealFolders(const std::wstring& folder, bool createMissing = false);

// Attributes of a file that is neither a folder, a link nor a device.
bool IsPlainFileAttributes(DWORD attributes);

// Opens an existing file for reading, with others allowed only to read, when
// it is a plain file as seen both through its path and through the handle;
// empty otherwise, with *error set (ERROR_DIRECTORY for a link or folder).
UniqueHandle OpenPlainFileToRead(const std::wstring& path, DWORD* error);

// Creates the folder and any missing parents; true when it exists as a
// directory afterwards.
bool EnsureFolder(const std::wstring& folder);

// Creates or replaces the file with exactly these bytes (no sharing while it
// is written). True only when every byte was written.
bool WriteWholeFile(const std::wstring& path, std::string_view bytes);

// The whole of a file of 1 to `limit` bytes; empty otherwise.
std::string ReadSmallFile(const std::wstring& path, std::uint64_t limit);

// Marks the file, folder or link behind the handle (opened with DELETE) for
// deletion when its last handle closes: never the path's current holder.
bool DeleteThroughHandle(HANDLE entry);

// Renames the file behind the handle (opened with DELETE) to `target`, a full
// path, replacing a file of that name when `replace` is set. A directory of
// that name is never replaced, and a link there is replaced as a link.
bool RenameThroughHandle(HANDLE entry, const std::wstring& target, bool replace);

// Reads `size` bytes at `offset` without relying on the handle's file
// position, so one handle can serve several readers. True when all came.
bool ReadFileAt(HANDLE file, std::uint64_t offset, void* buffer, DWORD size);

// Copies `length` bytes from `offset` of `source` to where `target` stands, in
// 1 MiB blocks; `copied` hears the running total after every block. True when
// every byte was read and written.
bool CopyFileRange(HANDLE source, std::uint64_t offset, std::uint64_t length, HANDLE target,
                   const std::function<void(std::uint64_t copied)>& copied = {});

// Copies the whole file behind `source` into a new file at `target`, with the
// source's last-write time. The target is never truncated when it cannot be
// opened for writing; *openError then holds the reason.
bool CopyHandleToFile(HANDLE source, const std::wstring& target, DWORD* openError = nullptr);
