// Checks on a package folder before a script runs, and the uninstall scripts
// taken from the installed product.
#pragma once

#include <string>

// True when the folder holds the script and ImeInstallCommon.ps1 as files;
// otherwise false with the message the user sees.
bool ValidatePackageFolder(const std::wstring& folder, const std::wstring& scriptName, std::wstring* errorText);

// Copies Uninstall.ps1 and ImeInstallCommon.ps1 from the install folder into
// a fixed folder in the working root and returns it; empty when that is not
// possible.
std::wstring StageUninstallScripts();
