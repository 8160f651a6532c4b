// Putting the new Setup where the old one was while this process runs.
#pragma once

#include <string>

// Copies `source` to `destination` and removes `oldPath` when the names
// differ; under the same name the file is swapped through "<destination>.new".
// True when the destination holds the new Setup. Every step is logged.
bool ReplaceInPlace(const std::wstring& source, const std::wstring& oldPath, const std::wstring& destination);
