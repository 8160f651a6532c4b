// The argument texts passed between an old Setup and the new one it hands
// over to.
#pragma once

#include <string>
#include <string_view>

// The switches by which an old Setup hands over to the new one, and the
// release folder it was started from, which the new one passes on once more.
enum class HandOffSwitch { None, OldPath, Version, ProcessId, ReleaseFolder };

struct HandOffArgument {
  HandOffSwitch which = HandOffSwitch::None;
  bool hasValue = false;    // a colon follows the switch name
  std::wstring_view value;  // what follows that colon
};

// The grammar of the hand-off switches, for the launch options and for the
// texts passed on: "/" or "--", then "apply-self-update", "apply-self-version",
// "apply-self-pid" or "release-folder" (letter case aside), then ":" and the
// value. An argument
// that only starts with a switch name still counts as that switch, so that
// nothing resembling one is ever passed on.
HandOffArgument ReadHandOffArgument(std::wstring_view argument);

// The old Setup's path as handed over: leading quotes and colons removed, then
// trailing quotes.
std::wstring CleanHandOffPath(std::wstring_view path);

// The arguments without any of those switches (also with "--"), re-joined
// with single spaces; arguments holding a space come back in double quotes.
// The text unchanged when it cannot be split.
std::wstring StripHandOffSwitches(const std::wstring& arguments);

// The text in double quotes when it holds a space; otherwise unchanged.
std::wstring QuoteIfSpaced(const std::wstring& text);

// "/apply-self-update:<old path> /apply-self-version:<v> /apply-self-pid:<pid>
// /noselfupdate", then "/release-folder:<folder>" when there is one, followed
// by the user's own arguments.
std::wstring BuildHandOffParameters(const std::wstring& oldPath, const std::wstring& version, unsigned long processId,
                                    const std::wstring& releaseFolder, const std::wstring& userArguments);

// The user's arguments for the restart after an update, with "/noselfupdate"
// added unless already there, then "/release-folder:<folder>" when there is one.
std::wstring BuildRelaunchArguments(const std::wstring& arguments, const std::wstring& releaseFolder);
