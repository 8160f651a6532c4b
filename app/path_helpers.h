// Path helpers shared by every subsystem. They keep no state and never fail
// loudly: a failure gives the empty text or false.
#pragma once

#include <string>

// folder + "\" + name, without doubling a trailing "\" or "/" of the folder.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// True for an existing path that is not a directory.
bool IsRegularFile(const std::wstring& path);

// Folder of the running executable; empty when its path cannot be read whole.
std::wstring GetSetupFolder();

// The pure part of GetSetupFolder: everything before the last "\" or "/".
std::wstring FolderOfPath(const std::wstring& path);

// The per-user local application-data folder, or empty.
std::wstring LocalAppDataFolder();
