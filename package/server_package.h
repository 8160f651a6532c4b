// The second package source: the newest package from the release server,
// downloaded, verified and extracted once per package version and digest
// into the working root.
#pragma once

#include <string>

#include "net/http_client.h"
#include "net/release_manifest.h"

// The package folder for the manifest's package version, reused when an
// earlier run completed it. False with a message otherwise.
bool PrepareServerPackage(const ReleaseManifest& manifest, std::wstring* folder, const ProgressCallback& progress,
                          std::wstring* errorText);

// The folder itself when it holds Install.ps1, else its first subfolder that
// does; empty when none.
std::wstring FindInstallScriptFolder(const std::wstring& folder);
