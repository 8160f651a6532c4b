// Where Setup keeps machine-wide state, found independently of the program.
#pragma once

#include <string>

// ...\Program Files\Orlinth-Japanese (or under the x86 Program Files), where the product goes.
std::wstring ExpectedProductFolder(bool x86Folder = false);

// ...\ProgramData\Orlinth-Japanese, the product's data folder.
std::wstring ExpectedProductDataFolder();

// ...\ProgramData\Orlinth-Japanese\setup.lock
std::wstring ExpectedSetupLockPath();

// ...\ProgramData\Orlinth-Japanese-Setup, Setup's working root.
std::wstring ExpectedWorkingRoot();

// The package archive of `version` as it downloads: ...\package-download\<version>.zip.
std::wstring ExpectedPackageArchive(const std::wstring& version);

// Whether anything of that download is left: the archive, its partial file or its record.
bool AnyOfTheDownloadLeft(const std::wstring& version);

// Creates the lock file as a run of the process `processId` leaves it.
bool PlantSetupLock(unsigned long processId = 1);
