// The two start-up steps of self-update.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "net/release_manifest.h"

// Finishes a replacement that an older Setup handed over to this one. True when
// the process should end with 0; false with a message when it should end with 1;
// false with no message to go on with a normal start.
bool ApplySelfUpdate(const std::wstring& updatePath, const std::wstring& updateVersion, std::uint32_t oldProcessId,
                     const std::wstring& relaunchParameters, std::wstring* message);

// The newer Setup the release server offers, if any. Asks the server within a
// few seconds; an unreachable, silent or slow one is no reason to bother the
// user. Runs off the window thread.
bool FindNewerSetup(ReleaseManifest* manifest);

// Whether the user wants the newer Setup (a box owned by the main window).
bool UserWantsUpdate(const std::wstring& latest);

// Downloads and verifies the newer Setup and hands over to it, which ends the
// process with 0. False with a message otherwise (shown as a warning; the
// window goes on without the update). Runs off the window thread.
bool HandOverToNewerSetup(const ReleaseManifest& manifest, const std::wstring& relaunchParameters,
                          std::wstring* message);

// The hand-off switches are honoured only in the update this Setup downloaded
// into its own update folder, and only for an old path that names an existing
// Setup file: anything else could make an elevated Setup overwrite any file.
bool IsGenuineHandOff(const std::wstring& ownPath, const std::wstring& oldPath);
