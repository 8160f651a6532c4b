// The two start-up steps of self-update.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Finishes a replacement that an older Setup handed over to this one. True when
// the process should end with 0; false with a message when it should end with 1;
// false with no message to go on with a normal start.
bool ApplySelfUpdate(const std::wstring& updatePath, const std::wstring& updateVersion, std::uint32_t oldProcessId,
                     const std::wstring& relaunchParameters, std::wstring* message);

// Offers a newer Setup from the release server and hands over to it; a
// completed hand-off ends the process. False whenever start-up is to go on; a
// message, if any, is shown as a warning.
bool OfferSelfUpdate(HWND owner, bool noSelfUpdate, const std::wstring& relaunchParameters, std::wstring* message);

// The hand-off switches are honoured only in the update this Setup downloaded
// into its own update folder, and only for an old path that names an existing
// Setup file: anything else could make an elevated Setup overwrite any file.
bool IsGenuineHandOff(const std::wstring& ownPath, const std::wstring& oldPath);
