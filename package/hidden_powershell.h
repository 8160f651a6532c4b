// The PowerShell command that package preparation runs hidden and waits for.
#pragma once

#include <string>

// Starts the program hidden with the command line and waits without a time
// limit. The exit code; the system error (or -1) when it cannot start.
int RunHiddenAndWait(const std::wstring& program, const std::wstring& commandLine);

// The command line of the extraction below.
std::wstring ExpandArchiveCommand(const std::wstring& archive, const std::wstring& destination);

// Extracts the ZIP archive into the folder; true when PowerShell exits with 0.
bool ExpandZipArchive(const std::wstring& archive, const std::wstring& destination);
