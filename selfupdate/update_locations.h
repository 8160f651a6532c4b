// Where self-update keeps its files, all in the per-user product folder, and
// the versioned file name a replaced Setup gets.
#pragma once

#include <string>

// %LOCALAPPDATA%\Orlinth-Japanese; empty when the per-user folder is unknown.
std::wstring LocalSetupFolder();

// <local folder>\setup-update: the download, the script and the log.
std::wstring SelfUpdateFolder();
std::wstring DownloadedSetupPath();
std::wstring ReplaceScriptPath();
std::wstring ReplaceLogPath();

// "OrlinthSetup-Japanese-1.0.20.exe" for version 1.0.20.
std::wstring VersionedSetupName(const std::wstring& version);
