// Checks on a package folder before a script runs, and the uninstall scripts
// taken from the installed product.
#pragma once

#include <string>

// True when the folder holds the script and ImeInstallCommon.ps1 as files;
// otherwise false with the message the user sees.
bool ValidatePackageFolder(const std::wstring& folder, const std::wstring& scriptName, std::wstring* errorText);

// Copies Uninstall.ps1 and ImeInstallCommon.ps1 from the install folder into
// a fixed folder in the working root and returns it; without them there, the
// folder as the last install staged it. Empty when neither can be had.
std::wstring StageUninstallScripts();

// After a successful install or update, window or not: the package's removal
// scripts kept in that folder, so that the registered silent removal needs
// neither the package nor the network.
bool StageUninstallScriptsFrom(const std::wstring& packageFolder);

// After a whole removal the staged scripts have done their work; kept, they
// would be an old product's scripts for a later one.
void ForgetStagedUninstallScripts();
