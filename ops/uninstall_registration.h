// The installed copy of Setup and the product's entry in the list of
// installed programs.
#pragma once

#include <windows.h>

#include <string>

// Copies the open Setup file `source` (read through that handle) over the
// installed Setup.exe, making the folder if needed. An installed Setup.exe
// that is in use (Setup running from there) counts as done.
bool CopySetupToInstallFolder(HANDLE source, std::wstring* message);

// Writes every value of the uninstall entry; false when the key cannot be made.
bool RegisterUninstallEntry();
