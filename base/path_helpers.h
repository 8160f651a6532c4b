// Path helpers shared by every subsystem. They keep no state and never fail
// loudly: a failure gives the empty text or false.
#pragma once

#include <string>

#include "base/text_helpers.h"

// folder + "\" + name, without doubling a trailing "\" or "/" of the folder.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// The same path text with letter case ignored, as the file system compares.
inline bool SamePathText(const std::wstring& a, const std::wstring& b) { return EqualsIgnoringCase(a, b); }

// True when the path could name something other than a plain file or folder:
// it holds a "/" (which could spell the next forms too), starts with "\\?\" or
// "\\.\", or has a colon anywhere but after a drive letter (a stream).
bool HasDeviceOrStreamForm(const std::wstring& path);

// A full path by drive letter ("C:" or "C:\...") or by share ("\\server\..."),
// with none of the forms above.
bool IsPlainFullPath(const std::wstring& path);

// True for an existing path that is not a directory.
bool IsRegularFile(const std::wstring& path);

// Full path of the running executable; empty when it cannot be read whole.
std::wstring OwnExecutablePath();

// Folder of the running executable; empty when its path cannot be read whole.
std::wstring GetSetupFolder();

// Everything before the last "\" or "/" of the path; empty without either.
std::wstring FolderOfPath(const std::wstring& path);

// Everything after the last "\" or "/" of the path; the whole path without either.
std::wstring FileNameOfPath(const std::wstring& path);

// The decision of GetSetupFolder on what GetModuleFileNameW gave into a
// MAX_PATH buffer: nothing for a failed read or a cut-off path.
std::wstring FolderOfModulePath(const wchar_t* path, unsigned long length);

// The common application-data folder (ProgramData), or empty.
std::wstring ProgramDataFolder();

// The System32 folder, or empty. Programs Setup starts by name come from here.
std::wstring SystemFolder();
