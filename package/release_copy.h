// A release folder's package is taken into the working root before anything
// checks or runs it: the folder beside Setup (often Downloads) can be changed
// by the user's own programs between the check and the moment PowerShell reads
// a script.
#pragma once

#include <string>

// The files of a package that Setup and its scripts rely on.
inline constexpr const wchar_t* kReleasePackageFiles[] = {L"Install.ps1", L"Uninstall.ps1", L"ImeInstallCommon.ps1",
                                                          L"manifest.json", L"Orlinth-Japanese.dll"};

enum class ReleaseCopyOutcome {
  Copied,
  Refused,  // a keyed build found no file list its keys signed, or a file unlike it
  Failed,
};

// Copies the package of `release` into a fresh folder of the working root,
// named in `copy`: without keys built in, those of the files above that
// exist; with keys, exactly the files of the signed list, each a plain file
// reached through no link, which must then have its listed digest, and
// `signedVersion` is the list's version. On Refused or Failed, `message` says
// why.
ReleaseCopyOutcome CopyReleasePackage(const std::wstring& release, std::wstring* copy, std::wstring* signedVersion,
                                      std::wstring* message);
