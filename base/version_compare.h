// Ordering of version texts such as "1.0.19", "1.0.19.1" or "1.0.19-hotfix".
#pragma once

#include <string_view>

// -1 when a is older than b, 0 when equal, 1 when a is newer. Runs of digits
// compare as numbers, component by component; from the first place where a
// side has no number, the rest of both texts compares code unit by code unit.
int CompareVersions(std::wstring_view a, std::wstring_view b);

// Versions from outside become folder and file names and arguments, so only
// plain tokens count: 1 to 64 of 0-9 A-Z a-z . _ + -, and not "." or "..".
bool IsPlainVersionToken(std::wstring_view text);
