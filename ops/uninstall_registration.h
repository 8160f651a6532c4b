// The installed copy of Setup and the product's entry in the list of
// installed programs.
#pragma once

#include <string>

// The "version" member of the installed manifest.json; empty when the file is
// missing, empty, over 64 KiB or has no such member.
std::wstring InstalledProductVersion();

// Copies `source` over the installed Setup.exe, making the folder if needed.
// A file in use (Setup running from there) counts as done.
bool CopySetupToInstallFolder(const std::wstring& source, std::wstring* message);

// Writes every value of the uninstall entry and reports in the log pane.
// Window thread only.
void RegisterUninstallEntry();

inline constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlinth-Japanese";
