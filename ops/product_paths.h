// Fixed folders of the installed product.
#pragma once

#include <string>

// ...\Program Files\Orlinth-Japanese, or empty when the folder is unknown.
std::wstring InstallFolder();
// The install folder joined with "Setup.exe" (just "Setup.exe" without one).
std::wstring InstalledSetupPath();
// ...\ProgramData\Orlinth-Japanese, or empty.
std::wstring ProductDataFolder();
