// The names a Setup file goes by on disk.
#pragma once

#include <string>

// "OrlinthSetup-..." or "Orlinth-Setup-...": a name that carries a version.
bool HasVersionedSetupName(const std::wstring& name);

// A name a Setup file has: "Setup.exe", or a versioned name ending in ".exe"
// (letter case aside).
bool IsSetupFileName(const std::wstring& name);
