// The installed copy of Setup and the product's entry in the list of
// installed programs.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

// Copies the open Setup file `source` (read through that handle) over the
// installed Setup.exe, making the folder if needed. An installed Setup.exe
// that is in use (Setup running from there) counts as done.
bool CopySetupToInstallFolder(HANDLE source, std::wstring* message);

// Writes the values of the uninstall entry; false when the key cannot be made.
// After a failed install (`succeeded` false) the version values are left as
// they were: the entry only lets the product be removed.
bool RegisterUninstallEntry(bool succeeded = true);

// The first two numbers of a version text ("2.4.0-hotfix" gives 2 and 4; 0
// where there is no number).
std::pair<unsigned long, unsigned long> MajorAndMinorOf(const std::wstring& version);
