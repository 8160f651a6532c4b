// Taking back a folder that somebody else made and shut the administrators
// out of, so that it can be removed and made again.
#pragma once

#include <string>

// With the take-ownership, backup and restore privileges enabled for the
// call: makes the Administrators the folder's owner, gives it the protected
// administrators-only DACL, and removes it with everything in it without
// following links (the privileges let the removal past the entries' own
// DACLs). True when nothing is left.
bool TakeBackAndRemoveFolder(const std::wstring& folder);
