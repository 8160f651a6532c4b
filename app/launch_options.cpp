#include "app/launch_options.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwchar>

#include "base/command_switch.h"
#include "base/user_messages.h"
#include "base/win_handle.h"
#include "selfupdate/handoff_arguments.h"

namespace {

LaunchOptions g_launchOptions;

std::uint32_t ParseDecimal(std::wstring_view rest) {
  std::wstring text(rest);  // wcstoul needs a terminated string
  return static_cast<std::uint32_t>(std::wcstoul(text.c_str(), nullptr, 10));
}

void ApplyHandOffArgument(const HandOffArgument& handOff, LaunchOptions& options) {
  switch (handOff.which) {
    case HandOffSwitch::OldPath:
      options.applySelfUpdatePath = CleanHandOffPath(handOff.value);
      options.noSelfUpdate = true;
      break;
    case HandOffSwitch::Version:
      options.applySelfUpdateVersion = std::wstring(handOff.value);
      break;
    case HandOffSwitch::ProcessId:
      options.applySelfUpdatePid = ParseDecimal(handOff.value);
      break;
    case HandOffSwitch::ReleaseFolder:
      options.releaseFolder = CleanHandOffPath(handOff.value);
      break;
    case HandOffSwitch::None:
      break;
  }
}

// The names deployment tools send by habit for a run without any window, and
// for one that only shows its progress.
constexpr std::wstring_view kQuietNames[] = {L"quiet", L"S", L"silent", L"verysilent", L"q", L"qn"};
constexpr std::wstring_view kPassiveNames[] = {L"passive", L"qb"};
constexpr std::wstring_view kHelpNames[] = {L"?", L"h", L"help"};
// Sent by habit and harmless: Setup never restarts the machine.
constexpr std::wstring_view kQuietlyIgnored[] = {L"norestart"};

template <std::size_t N>
bool IsAnyOf(std::wstring_view argument, const std::wstring_view (&names)[N]) {
  for (std::wstring_view name : names) {
    if (IsSwitch(argument, name)) return true;
  }
  return false;
}

void ApplyArgument(std::wstring_view argument, LaunchOptions& options) {
  const std::wstring_view logValue = SwitchValue(argument, L"log").value_or(std::wstring_view());
  const HandOffArgument handOff = ReadHandOffArgument(argument);
  if (IsSwitch(argument, L"update")) {
    options.autoUpdate = true;
  } else if (IsAnyOf(argument, kQuietNames)) {
    options.quiet = true;
  } else if (IsAnyOf(argument, kPassiveNames)) {
    options.passive = true;
  } else if (IsSwitch(argument, L"uninstall")) {
    options.uninstall = true;
  } else if (!logValue.empty()) {
    options.logPath = std::wstring(logValue);
  } else if (IsSwitch(argument, L"noselfupdate")) {
    options.noSelfUpdate = true;
    options.noSelfUpdateSwitch = true;
  } else if (IsSwitch(argument, L"allowdowngrade")) {
    options.allowDowngrade = true;
  } else if (IsAnyOf(argument, kHelpNames)) {
    options.help = true;
  } else if (handOff.hasValue) {
    ApplyHandOffArgument(handOff, options);
  } else if (!IsAnyOf(argument, kQuietlyIgnored)) {
    options.unknownArguments.emplace_back(argument);
  }
}

// /quiet wins over /passive: nothing is shown that nobody asked for.
void SettleContradictions(LaunchOptions& options) {
  if (options.quiet && options.passive) {
    options.passive = false;
    options.quietOverPassive = true;
  }
}

void AppendRelaunchArgument(std::wstring_view argument, std::wstring& parameters) {
  if (!parameters.empty()) parameters += L' ';
  const bool quote = argument.find(L' ') != std::wstring_view::npos;
  if (quote) parameters += L'"';
  parameters += argument;
  if (quote) parameters += L'"';
}

}  // namespace

LaunchOptions ParseLaunchArguments(const std::vector<std::wstring>& arguments) {
  LaunchOptions options;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::wstring& argument = arguments[index];
    if (IsSwitch(argument, kElevationRelaunchSwitch + 1)) {
      options.relaunchedForElevation = true;
      continue;
    }
    // "/log <path>": the path is the next argument.
    if (IsSwitch(argument, L"log") && index + 1 < arguments.size()) {
      options.logPath = arguments[index + 1];
      AppendRelaunchArgument(argument, options.relaunchParameters);
      AppendRelaunchArgument(arguments[++index], options.relaunchParameters);
      continue;
    }
    ApplyArgument(argument, options);
    AppendRelaunchArgument(argument, options.relaunchParameters);
  }
  SettleContradictions(options);
  return options;
}

LaunchOptions ParseUnsplitCommandTail(std::wstring_view tail) {
  LaunchOptions options;
  options.relaunchParameters = std::wstring(tail);
  options.autoUpdate = tail.find(L"/update") != std::wstring_view::npos;
  options.noSelfUpdate = tail.find(L"/noselfupdate") != std::wstring_view::npos;
  options.noSelfUpdateSwitch = options.noSelfUpdate;
  return options;
}

void DropHandOffSwitches(LaunchOptions& options) {
  options.applySelfUpdatePath.clear();
  options.applySelfUpdateVersion.clear();
  options.applySelfUpdatePid = 0;
  options.releaseFolder.clear();
  options.noSelfUpdate = options.noSelfUpdateSwitch;
}

LaunchOptions ReadLaunchOptions(const wchar_t* fullCommandLine, const wchar_t* commandTail) {
  int count = 0;
  UniqueLocalMemory split(fullCommandLine != nullptr ? ::CommandLineToArgvW(fullCommandLine, &count) : nullptr);
  if (!split) {
    if (commandTail == nullptr || *commandTail == L'\0') return {};
    return ParseUnsplitCommandTail(commandTail);
  }
  auto* argv = static_cast<wchar_t**>(split.get());
  std::vector<std::wstring> arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
  return ParseLaunchArguments(arguments);
}

const LaunchOptions& CurrentLaunchOptions() { return g_launchOptions; }

void SetLaunchOptions(LaunchOptions options) {
  // Unattended, no box may wait for somebody who is not there.
  SetUnattendedMessages(IsUnattended(options));
  g_launchOptions = std::move(options);
}
