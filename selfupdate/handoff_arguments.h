// The argument texts passed between an old Setup and the new one it hands
// over to.
#pragma once

#include <string>

// The arguments without any /apply-self-update, -version or -pid switch (also
// with "--"), re-joined with single spaces; arguments holding a space come back
// in double quotes. The text unchanged when it cannot be split.
std::wstring StripApplySwitches(const std::wstring& arguments);

// The text in double quotes when it holds a space; otherwise unchanged.
std::wstring QuoteIfSpaced(const std::wstring& text);

// "/apply-self-update:<old path> /apply-self-version:<v> /apply-self-pid:<pid>
// /noselfupdate" followed by the user's own arguments.
std::wstring BuildHandOffParameters(const std::wstring& oldPath, const std::wstring& version,
                                    unsigned long processId, const std::wstring& userArguments);

// The user's arguments for the relaunch after a replacement, with
// "/noselfupdate" added unless already there.
std::wstring BuildRelaunchArguments(const std::wstring& arguments);
