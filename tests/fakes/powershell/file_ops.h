// File-system operations behind the script cmdlets and the folder removal.
// Each gives an empty text on success, else the message a script would see.
#pragma once

#include <string>

namespace standin {

bool FileSystemPathExists(const std::wstring& path);
bool IsExistingFolder(const std::wstring& path);

// The absolute form of 'path' (relative to the current folder).
std::wstring AbsolutePath(const std::wstring& path);

// Creates the folder and every missing parent; an existing folder is fine.
std::wstring CreateFolders(const std::wstring& path);

// Replaces the file with 'bytes'; the folder must exist.
std::wstring WriteWholeFile(const std::wstring& path, const std::string& bytes);

// The whole file into 'bytes'.
std::wstring ReadWholeFile(const std::wstring& path, std::string& bytes);

// Copies one file; a destination that is a folder receives it by its name.
std::wstring CopyFileItem(const std::wstring& source, const std::wstring& destination);

// Deletes a file, or a folder (with its contents only when 'recurse').
std::wstring RemoveFileSystemItem(const std::wstring& path, bool recurse);

}  // namespace standin
