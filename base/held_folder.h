// Entries of a folder that is held open, named by their names alone and
// resolved relative to the handle: once the folder is held, no later step
// resolves the folders above it again, so a link switched anywhere on the
// way cannot send a write, rename or delete elsewhere.
#pragma once

#include <windows.h>

#include <string>

#include "base/win_handle.h"

// A plain name: not empty, not "." or "..", without "\", "/" or ":".
bool IsPlainEntryName(const std::wstring& name);

// Opens (or with `createNew` creates, failing when the name exists) the entry
// of the held folder without following a link. Empty with *error otherwise.
UniqueHandle OpenInHeldFolder(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, bool createNew,
                              DWORD* error);

// The entry's attributes as the folder's own listing gives them (Wine shows
// links only there); INVALID_FILE_ATTRIBUTES when the folder has no such entry.
DWORD ListedAttributes(HANDLE folder, const std::wstring& name);

// Renames the file behind `file` (opened with DELETE) to `name` in the held
// folder, replacing a file of that name when `replace` is set. False with the
// system error set otherwise.
bool RenameIntoHeldFolder(HANDLE file, HANDLE folder, const std::wstring& name, bool replace);
