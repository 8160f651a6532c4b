// A release folder's package is taken into the working root before anything
// checks or runs it: the folder beside Setup (often Downloads) can be changed
// by the user's own programs between the check and the moment PowerShell reads
// a script.
#pragma once

#include <string>

// The files of a package that Setup and its scripts rely on.
inline constexpr const wchar_t* kReleasePackageFiles[] = {L"Install.ps1", L"Uninstall.ps1", L"ImeInstallCommon.ps1",
                                                          L"manifest.json", L"Orlinth-Japanese.dll"};

// Copies those of the files that exist in `release` into a fresh folder of the
// working root and returns it; empty with a message when that fails.
std::wstring CopyReleasePackage(const std::wstring& release, std::wstring* errorText);
