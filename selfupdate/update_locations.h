// Where self-update keeps its files, all in the administrators-only working
// root, and the versioned file name a replaced Setup gets.
#pragma once

#include <string>

// The folder of the local Setup copies: the working root itself; empty when
// it is unknown.
std::wstring LocalSetupFolder();

// <local folder>\setup-update: the download and the replacement log.
std::wstring SelfUpdateFolder();
std::wstring DownloadedSetupPath();
std::wstring ReplaceLogPath();

// "OrlinthSetup-Japanese-1.0.20.exe" for version 1.0.20.
std::wstring VersionedSetupName(const std::wstring& version);
