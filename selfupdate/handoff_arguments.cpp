#include "selfupdate/handoff_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include "base/command_switch.h"
#include "base/text_helpers.h"
#include "base/win_handle.h"

namespace {

struct SwitchName {
  std::wstring_view name;
  HandOffSwitch which;
};

constexpr SwitchName kSwitchNames[] = {
    {L"apply-self-update", HandOffSwitch::OldPath},
    {L"apply-self-version", HandOffSwitch::Version},
    {L"apply-self-pid", HandOffSwitch::ProcessId},
    {L"release-folder", HandOffSwitch::ReleaseFolder},
};

std::wstring ReleaseFolderSwitch(const std::wstring& folder) {
  return folder.empty() ? std::wstring() : L" /release-folder:" + QuoteIfSpaced(folder);
}

}  // namespace

HandOffArgument ReadHandOffArgument(std::wstring_view argument) {
  const std::optional<std::wstring_view> body = SwitchBody(argument);
  if (!body) return {};
  for (const SwitchName& known : kSwitchNames) {
    if (!StartsWithIgnoringCase(*body, known.name)) continue;
    const std::wstring_view after = body->substr(known.name.size());
    if (after.empty() || after.front() != L':') return {known.which, false, {}};
    return {known.which, true, after.substr(1)};
  }
  return {};
}

std::wstring CleanHandOffPath(std::wstring_view path) {
  while (!path.empty() && (path.front() == L'"' || path.front() == L':')) path.remove_prefix(1);
  while (!path.empty() && path.back() == L'"') path.remove_suffix(1);
  return std::wstring(path);
}

std::wstring QuoteIfSpaced(const std::wstring& text) {
  return text.find(L' ') == std::wstring::npos ? text : L"\"" + text + L"\"";
}

std::wstring StripHandOffSwitches(const std::wstring& arguments) {
  // A placeholder program name, so the first real argument is split by the
  // argument rules rather than the program-name rules.
  const std::wstring line = L"x.exe " + arguments;
  int count = 0;
  UniqueLocalMemory split(::CommandLineToArgvW(line.c_str(), &count));
  if (!split) return arguments;
  auto* argv = static_cast<wchar_t**>(split.get());
  std::wstring joined;
  for (int index = 1; index < count; ++index) {
    const wchar_t* argument = argv[index];
    if (ReadHandOffArgument(argument).which != HandOffSwitch::None) continue;
    if (!joined.empty()) joined += L' ';
    joined += QuoteIfSpaced(argument);
  }
  return joined;
}

std::wstring BuildHandOffParameters(const std::wstring& oldPath, const std::wstring& version, unsigned long processId,
                                    const std::wstring& releaseFolder, const std::wstring& userArguments) {
  std::wstring parameters = L"/apply-self-update:" + QuoteIfSpaced(oldPath) + L" /apply-self-version:" + version +
                            L" /apply-self-pid:" + std::to_wstring(processId) + L" /noselfupdate" +
                            ReleaseFolderSwitch(releaseFolder);
  const std::wstring passedOn = StripHandOffSwitches(userArguments);
  if (!passedOn.empty()) parameters += L" " + passedOn;
  return parameters;
}

std::wstring BuildRelaunchArguments(const std::wstring& arguments, const std::wstring& releaseFolder) {
  std::wstring relaunch = StripHandOffSwitches(arguments);
  if (relaunch.find(L"/noselfupdate") == std::wstring::npos) {
    if (!relaunch.empty()) relaunch += L' ';
    relaunch += L"/noselfupdate";
  }
  return relaunch + ReleaseFolderSwitch(releaseFolder);
}
