#include "selfupdate/handoff_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <cwctype>

#include "app/win_handle.h"

namespace {

bool StartsWithIgnoringCase(const wchar_t* text, const wchar_t* prefix) {
  for (; *prefix != L'\0'; ++text, ++prefix) {
    if (*text == L'\0' || std::towlower(*text) != std::towlower(*prefix)) return false;
  }
  return true;
}

bool IsApplySwitch(const wchar_t* argument) {
  static constexpr const wchar_t* kPrefixes[] = {L"/apply-self-update",  L"--apply-self-update",
                                                 L"/apply-self-version", L"--apply-self-version",
                                                 L"/apply-self-pid",     L"--apply-self-pid"};
  for (const wchar_t* prefix : kPrefixes) {
    if (StartsWithIgnoringCase(argument, prefix)) return true;
  }
  return false;
}

}  // namespace

std::wstring QuoteIfSpaced(const std::wstring& text) {
  return text.find(L' ') == std::wstring::npos ? text : L"\"" + text + L"\"";
}

std::wstring StripApplySwitches(const std::wstring& arguments) {
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
    if (IsApplySwitch(argument)) continue;
    if (!joined.empty()) joined += L' ';
    joined += QuoteIfSpaced(argument);
  }
  return joined;
}

std::wstring BuildHandOffParameters(const std::wstring& oldPath, const std::wstring& version,
                                    unsigned long processId, const std::wstring& userArguments) {
  std::wstring parameters = L"/apply-self-update:" + QuoteIfSpaced(oldPath) + L" /apply-self-version:" + version +
                            L" /apply-self-pid:" + std::to_wstring(processId) + L" /noselfupdate";
  const std::wstring passedOn = StripApplySwitches(userArguments);
  if (!passedOn.empty()) parameters += L" " + passedOn;
  return parameters;
}

std::wstring BuildRelaunchArguments(const std::wstring& arguments) {
  std::wstring relaunch = StripApplySwitches(arguments);
  if (relaunch.find(L"/noselfupdate") == std::wstring::npos) {
    if (!relaunch.empty()) relaunch += L' ';
    relaunch += L"/noselfupdate";
  }
  return relaunch;
}
