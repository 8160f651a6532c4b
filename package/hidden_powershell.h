// Windows PowerShell as Setup starts it, and the extraction that package
// preparation runs hidden and waits for.
#pragma once

#include <string>
#include <vector>

#include "base/child_process.h"

// Windows PowerShell in System32, started by full path so that a
// powershell.exe beside Setup is never the one run.
std::wstring PowerShellPath();

// PSModulePath for every PowerShell child: PowerShell's own system modules
// alone, since the user's Documents folder, first on the usual path, could
// hold a module that replaces a command Setup uses.
std::vector<EnvironmentSetting> PowerShellEnvironment();

// The command line of the extraction below.
std::wstring ExpandArchiveCommand(const std::wstring& archive, const std::wstring& destination);

// Extracts the ZIP archive into the folder; true when PowerShell exits with 0.
bool ExpandZipArchive(const std::wstring& archive, const std::wstring& destination);
